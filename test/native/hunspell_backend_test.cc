#include "spellchecker/hunspell_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "spellchecker/text_conversion.h"
#include "test_dictionaries.h"

namespace spellshell {
namespace {

using Spans = std::vector<MisspellingSpan>;

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(HunspellPaths, LanguageDashesBecomeUnderscoresAndASlashIsAlwaysInserted) {
  struct Case {
    std::string language, directory, affix, word_list;
  };
  const std::vector<Case> cases = {
      {"en-US", "/d", "/d/en_US.aff", "/d/en_US.dic"},
      {"en_US", "/d", "/d/en_US.aff", "/d/en_US.dic"},
      {"en-us", "/d", "/d/en_us.aff", "/d/en_us.dic"},
      {"a-b-c", "/d", "/d/a_b_c.aff", "/d/a_b_c.dic"},
      {"en-US", "/d/", "/d//en_US.aff", "/d//en_US.dic"},
      {"en-US", "", "/en_US.aff", "/en_US.dic"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language + " in " + c.directory);
    EXPECT_EQ(HunspellBackend::AffixPath(c.language, c.directory), c.affix);
    EXPECT_EQ(HunspellBackend::WordListPath(c.language, c.directory), c.word_list);
  }
}

class HunspellBackendTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::WriteUtf8Dictionary(dir_); }
  testing::TempDir dir_;
  HunspellBackend backend_;
};

TEST_F(HunspellBackendTest, WithoutDictionaryEverythingIsEmpty) {
  EXPECT_TRUE(backend_.IsHunspell());
  EXPECT_FALSE(backend_.IsMisspelled("qwzx"));
  EXPECT_TRUE(backend_.GetCorrectionsForMisspelling("helo").empty());
  const Utf16String text = u"qwzx";
  EXPECT_TRUE(backend_.FindMisspellings(text.data(), text.size()).empty());
  backend_.Add("qwzx");  // no lasting effect
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str()));
  EXPECT_TRUE(backend_.IsMisspelled("qwzx"));
}

TEST_F(HunspellBackendTest, LoadsWithEitherSeparatorAndChecksWords) {
  ASSERT_TRUE(backend_.SetDictionary("xx-TEST", dir_.str()));
  EXPECT_FALSE(backend_.IsMisspelled("hello"));
  EXPECT_TRUE(backend_.IsMisspelled("helo"));
  EXPECT_FALSE(backend_.IsMisspelled("caf\xC3\xA9"));
  EXPECT_FALSE(backend_.IsMisspelled("\xE6\x97\xA5\xE6\x9C\xAC"));
  EXPECT_TRUE(backend_.IsHunspell());
  EXPECT_TRUE(Contains(backend_.GetCorrectionsForMisspelling("helo"), "hello"));
  EXPECT_TRUE(Contains(backend_.GetCorrectionsForMisspelling("cafe"), "caf\xC3\xA9"));
  // The word ends at its first NUL, as a C string would.
  EXPECT_FALSE(backend_.IsMisspelled(std::string("hello\0garbage", 13)));
}

TEST_F(HunspellBackendTest, TrailingSlashAndEmptyDirectoryStillFindFiles) {
  EXPECT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str() + "/"));
  EXPECT_FALSE(backend_.IsMisspelled("world"));
  // "" + "/" + name: an absolute path at the root, which holds no such file.
  EXPECT_FALSE(backend_.SetDictionary("xx_TEST", ""));
}

TEST_F(HunspellBackendTest, FailedLoadDropsThePreviousDictionary) {
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str()));
  EXPECT_TRUE(backend_.IsMisspelled("nonsenseword"));
  EXPECT_FALSE(backend_.SetDictionary("zz_NONE", dir_.str()));
  EXPECT_FALSE(backend_.IsMisspelled("nonsenseword"));
  EXPECT_TRUE(backend_.GetCorrectionsForMisspelling("helo").empty());
}

TEST_F(HunspellBackendTest, WordListWithoutAffixFileStillLoads) {
  dir_.Write("yy_ONLY.dic", "1\nlonely\n");
  EXPECT_TRUE(backend_.SetDictionary("yy_ONLY", dir_.str()));
  EXPECT_FALSE(backend_.IsMisspelled("lonely"));
}

TEST_F(HunspellBackendTest, ReloadLosesAddedWords) {
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str()));
  backend_.Add("spellshell");
  EXPECT_FALSE(backend_.IsMisspelled("spellshell"));
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str()));
  EXPECT_TRUE(backend_.IsMisspelled("spellshell"));
}

TEST_F(HunspellBackendTest, RemoveThenAddRestoresAWord) {
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str()));
  backend_.Remove("world");
  EXPECT_TRUE(backend_.IsMisspelled("world"));
  backend_.Add("world");
  EXPECT_FALSE(backend_.IsMisspelled("world"));
}

TEST_F(HunspellBackendTest, ListsNoDictionariesEvenWhenTheFolderHasThem) {
  EXPECT_TRUE(backend_.GetAvailableDictionaries(dir_.str()).empty());
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", dir_.str()));
  EXPECT_TRUE(backend_.GetAvailableDictionaries(dir_.str()).empty());
}

class LegacyEncodingTest : public HunspellBackendTest {
 protected:
  void SetUp() override {
    testing::WriteLatin1Dictionary(dir_);
    ASSERT_TRUE(backend_.SetDictionary("xx_LATIN", dir_.str()));
  }
};

TEST_F(LegacyEncodingTest, AccentedWordsAreCheckedInTheDictionaryEncoding) {
  EXPECT_FALSE(backend_.IsMisspelled("caf\xC3\xA9"));
  EXPECT_FALSE(backend_.IsMisspelled("na\xC3\xAFve"));
  EXPECT_FALSE(backend_.IsMisspelled("gar\xC3\xA7on"));
  EXPECT_TRUE(backend_.IsMisspelled("cafe"));
}

TEST_F(LegacyEncodingTest, SuggestionsComeBackAsUtf8) {
  const auto suggestions = backend_.GetCorrectionsForMisspelling("garcon");
  EXPECT_TRUE(Contains(suggestions, "gar\xC3\xA7on"));
}

TEST_F(LegacyEncodingTest, UnrepresentableWordsAreMisspelledWithoutSuggestions) {
  EXPECT_TRUE(backend_.IsMisspelled("\xE6\x97\xA5\xE6\x9C\xAC"));
  EXPECT_TRUE(backend_.GetCorrectionsForMisspelling("\xE6\x97\xA5").empty());
  EXPECT_TRUE(backend_.IsMisspelled("caf\xFF"));  // not even UTF-8
}

TEST_F(LegacyEncodingTest, AddRemoveAndScannerUseTheDictionaryEncoding) {
  backend_.Add("cr\xC3\xA8me");
  EXPECT_FALSE(backend_.IsMisspelled("cr\xC3\xA8me"));
  backend_.Remove("caf\xC3\xA9");
  EXPECT_TRUE(backend_.IsMisspelled("caf\xC3\xA9"));
  const Utf16String text = u"na\u00EFve gar\u00E7on cr\u00E8me caf\u00E9 \u65E5\u672C";
  EXPECT_EQ(backend_.FindMisspellings(text.data(), text.size()), (Spans{{19, 23}, {24, 26}}));
}

// The scanner cases below need real English: they use the installed en_US dictionary.
class WordScanner : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(backend_.SetDictionary("en_US", testing::SystemDictionaryDir()));
  }
  Spans Scan(const Utf16String& text) {
    return backend_.FindMisspellings(text.data(), text.size());
  }
  HunspellBackend backend_;
};

TEST_F(WordScanner, ReportsMisspelledWordsInTextOrder) {
  EXPECT_EQ(Scan(u"Ths is a tst."), (Spans{{0, 3}, {9, 12}}));
  EXPECT_TRUE(Scan(u"").empty());
  EXPECT_TRUE(Scan(u"This is a test.").empty());
}

TEST_F(WordScanner, AWordEndingTheTextEndsAtItsLength) {
  EXPECT_EQ(Scan(u"a tst"), (Spans{{2, 5}}));
  EXPECT_EQ(Scan(Utf16String(u"a tst\0", 6)), (Spans{{2, 5}}));
}

TEST_F(WordScanner, ApostropheJoinsOnlyBeforeALetter) {
  struct Case {
    Utf16String text;
    Spans expected;
  };
  const std::vector<Case> cases = {
      {u"don't", {}},              // one word of 5 units, accepted
      {u"dno't", {{0, 5}}},        // one word of 5 units, rejected whole
      {u"dogs' tial", {{6, 10}}},  // "dogs" ends before the apostrophe
      {u"dgos' x", {{0, 4}}},
      {u"isn\u2019t", {{0, 3}}},  // U+2019 is punctuation: "isn" and "t"
      {u"well-known", {}},        // two words
      {u"well-knwon", {{5, 10}}},
      {u"abc1 wrod", {{5, 9}}},  // the run with a digit is skipped whole
      {u"1st wrod", {{4, 8}}},
      {u"wr\u0007od wrod", {{6, 10}}},  // so does a control character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(Scan(c.text), c.expected);
  }
}

TEST_F(WordScanner, WordsLongerThan255BytesAreNeverReported) {
  const std::string long_word(300, 'q');
  Utf16String text = u"wrod ";
  text.append(long_word.begin(), long_word.end());
  EXPECT_EQ(Scan(text), (Spans{{0, 4}}));
  EXPECT_TRUE(backend_.IsMisspelled(long_word));  // Hunspell's own verdict when asked directly
}

}  // namespace
}  // namespace spellshell
