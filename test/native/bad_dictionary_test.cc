// Dictionary files as a broken download, a full disk or a hostile folder leave them. The rule
// stays the one for good files: SetDictionary is true exactly when the word list opens as a
// file, whatever the files hold; on top of that nothing may crash, hang or throw.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "spellchecker/affix_file.h"
#include "spellchecker/hunspell_backend.h"
#include "spellchecker/word_list_file.h"
#include "test_dictionaries.h"

namespace spellshell {
namespace {

using testing::TempDir;

constexpr char kAffix[] = "SET UTF-8\nTRY esianrtolcdugmfphbyvkw\n";
constexpr char kWordList[] = "3\nhello\nworld\nwalk\n";

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Bytes that look like nothing, the same in every run.
std::string Garbage(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

// Every operation once, so that whatever Hunspell built from the files is exercised.
void UseEverything(HunspellBackend& backend) {
  for (const char* word : {"hello", "helo", "walks", "", "x'y", "caf\xC3\xA9"}) {
    backend.IsMisspelled(word);
    backend.GetCorrectionsForMisspelling(word);
  }
  backend.Add("zzyzx");
  backend.Remove("zzyzx");
  backend.Remove("walk");
  const Utf16String text = u"helo world, walks don't";
  backend.FindMisspellings(text.data(), text.size());
}

class BadWordList : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write("xx.aff", kAffix); }

  // Loads "xx" from the folder after a good dictionary, so that a refusal visibly drops it.
  bool Load() {
    TempDir good;
    testing::WriteUtf8Dictionary(good);
    EXPECT_TRUE(backend_.SetDictionary("xx_TEST", good.str()));
    const bool loaded = backend_.SetDictionary("xx", dir_.str());
    UseEverything(backend_);
    return loaded;
  }

  TempDir dir_;
  HunspellBackend backend_;
};

TEST_F(BadWordList, AFolderIsRefusedAndLeavesNoDictionary) {
  std::filesystem::create_directory(dir_.path() / "xx.dic");
  EXPECT_FALSE(Load());
  EXPECT_FALSE(backend_.IsMisspelled("qwzx"));
}

TEST_F(BadWordList, AFifoIsRefusedWithoutWaitingForAWriter) {
  ASSERT_EQ(mkfifo((dir_.path() / "xx.dic").c_str(), 0600), 0);
  EXPECT_FALSE(Load());
}

TEST_F(BadWordList, ADeviceBehindALinkIsRefusedRatherThanReadForEver) {
  std::filesystem::create_symlink("/dev/zero", dir_.path() / "xx.dic");
  EXPECT_FALSE(Load());
}

TEST_F(BadWordList, APathThroughAFileIsRefused) {
  dir_.Write("plain", "not a folder");
  const TempDir good;
  testing::WriteUtf8Dictionary(good);
  ASSERT_TRUE(backend_.SetDictionary("xx_TEST", good.str()));
  EXPECT_FALSE(backend_.SetDictionary("xx", (dir_.path() / "plain").string()));
  EXPECT_FALSE(backend_.IsMisspelled("qwzx"));
}

// Whether SetDictionary finds the folder's "xx" dictionary when asked as an unprivileged user
// (in a child process that gives up root first, when the tests run as root).
bool LoadsAsUnprivilegedUser(const TempDir& dir) {
  if (geteuid() != 0) return HunspellBackend().SetDictionary("xx", dir.str());
  const pid_t child = fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
    _exit(HunspellBackend().SetDictionary("xx", dir.str()) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(BadWordList, AFileWithoutReadPermissionIsRefused) {
  ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
  const auto file = dir_.Write("xx.dic", kWordList);
  ASSERT_EQ(chmod(file.c_str(), 0644), 0);
  ASSERT_TRUE(LoadsAsUnprivilegedUser(dir_));  // the same file, readable
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  EXPECT_FALSE(LoadsAsUnprivilegedUser(dir_));
}

TEST_F(BadWordList, AnEmptyFileLoadsWithNoWords) {
  dir_.Write("xx.dic", "");
  EXPECT_TRUE(Load());
  EXPECT_TRUE(backend_.IsMisspelled("world"));
}

TEST_F(BadWordList, ACountLineHunspellRejectsLoadsWithNoWords) {
  for (const char* count : {"-5", "0", "abc", "99999999999", "2147483647", "4294967296"}) {
    SCOPED_TRACE(count);
    dir_.Write("xx.dic", std::string(count) + "\nhello\nworld\n");
    EXPECT_TRUE(Load());
    EXPECT_TRUE(backend_.IsMisspelled("world"));
  }
}

TEST_F(BadWordList, ACountTooSmallOrLinesCutShortStillLoadTheWordsThatAreThere) {
  dir_.Write("xx.dic", "1\nhello\nworld\nwal");
  EXPECT_TRUE(Load());
  EXPECT_FALSE(backend_.IsMisspelled("hello"));
  EXPECT_FALSE(backend_.IsMisspelled("world"));
}

// Hunspell walks a bucket's chain for every entry it adds: one word on 200,000 lines, or
// 200,000 words in the 1,006 buckets a count of 1 gives, took minutes. The list is mended
// first: at most kMaxEntriesPerWord lines of a word, and a count that fits the lines.
TEST_F(BadWordList, ManyLinesOfOneWordLoadAtOnceKeepingTheFirstEntries) {
  struct Case {
    std::string name, line;
  };
  for (const Case& c : {Case{"slashes", "/"}, Case{"blank lines", ""}, Case{"one word", "walk"},
                        Case{"one word, other flags", "walk/"}, Case{"a CR each", "walk\r"}}) {
    SCOPED_TRACE(c.name);
    std::string list = "200001\nworld\n";
    for (int i = 0; i < 200000; ++i) {
      list.append(c.line);
      if (c.name == "one word, other flags") list.append(std::to_string(i % 7));
      list.push_back('\n');
    }
    dir_.Write("xx.dic", list);
    const std::optional<std::string> mended = MendedWordList((dir_.path() / "xx.dic").string());
    ASSERT_TRUE(mended);
    EXPECT_EQ(std::count(mended->begin(), mended->end(), '\n'), 1 + 1 + 64);
    EXPECT_EQ(mended->substr(0, mended->find('\n')), "200001");
    EXPECT_TRUE(Load());
    EXPECT_FALSE(backend_.IsMisspelled("world"));
  }
}

TEST_F(BadWordList, ACountFarBelowTheEntriesIsRaisedAndEveryWordLoads) {
  std::string list = "1\n";
  std::vector<std::string> words;
  std::uint32_t seed = 7;
  for (int i = 0; i < 100000; ++i) {
    std::string word;
    for (int j = 0; j < 8; ++j) {
      seed = seed * 1664525u + 1013904223u;
      word.push_back(static_cast<char>('a' + (seed >> 24) % 26));
    }
    list.append(word).append("\n");
    words.push_back(word);
  }
  dir_.Write("xx.dic", list);
  const std::optional<std::string> mended = MendedWordList((dir_.path() / "xx.dic").string());
  ASSERT_TRUE(mended);
  EXPECT_EQ(mended->substr(0, mended->find('\n')), "100000");
  EXPECT_TRUE(Load());
  for (int i = 0; i < 100000; i += 997) EXPECT_FALSE(backend_.IsMisspelled(words[i])) << words[i];
}

// Hunspell's hash is linear: "ba" and "cA" at the same place cancel, so 2^15 distinct words
// share a bucket and took 4 s to load.
TEST_F(BadWordList, WordsMadeToShareABucketAreCappedThere) {
  std::string list = "32769\nworld\n";
  for (int bits = 0; bits < (1 << 15); ++bits) {
    list += "zzzz";
    for (int i = 0; i < 15; ++i) list += (bits >> i) & 1 ? "cA" : "ba";
    list += '\n';
  }
  dir_.Write("xx.dic", list);
  const std::optional<std::string> mended = MendedWordList((dir_.path() / "xx.dic").string());
  ASSERT_TRUE(mended);
  EXPECT_EQ(std::count(mended->begin(), mended->end(), '\n'), 1 + 1 + kMaxEntriesPerBucket);
  EXPECT_TRUE(Load());
  EXPECT_FALSE(backend_.IsMisspelled("world"));
  EXPECT_FALSE(backend_.IsMisspelled("zzzzbababababababababababababababa"));
}

TEST_F(BadWordList, ListsThatLoadFastAreGivenAsTheyAre) {
  for (const char* list : {"3\nhello\nworld\nwalk/S\n", "1\nhello\nhello/S\nhello\tpo:noun\n",
                           "0\n/\n/\n/\n", "abc\nhello\n", "1\n\n\n\n\n\n\n\n\n\n\n\n", ""}) {
    SCOPED_TRACE(list);
    dir_.Write("xx.dic", list);
    EXPECT_FALSE(MendedWordList((dir_.path() / "xx.dic").string()));
  }
  // No count line Hunspell accepts: it loads no word, so nothing can be slow.
  std::string uncounted = "-1\n";
  for (int i = 0; i < 1000; ++i) uncounted += "/\n";
  dir_.Write("xx.dic", uncounted);
  EXPECT_FALSE(MendedWordList((dir_.path() / "xx.dic").string()));
  EXPECT_FALSE(MendedWordList(testing::SystemDictionaryDir() + "/en_US.dic"));
  EXPECT_FALSE(MendedWordList(testing::SystemDictionaryDir() + "/fr_FR.dic"));
}

TEST_F(BadWordList, GarbageBytesLoadAndAnswer) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    dir_.Write("xx.dic", Garbage(20000, seed));
    EXPECT_TRUE(Load());
    dir_.Write("xx.dic", "3\n" + Garbage(5000, seed));
    EXPECT_TRUE(Load());
  }
}

// An affix file that would hang or crash Hunspell is left out, exactly as a missing one: the
// word list loads with Hunspell's default settings.
class BadAffixFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write("xx.dic", "3\nhello\nworld\nwalk/S\n"); }

  void ExpectLoadedWithoutAffixRules() {
    ASSERT_TRUE(backend_.SetDictionary("xx", dir_.str()));
    UseEverything(backend_);
    ASSERT_TRUE(backend_.SetDictionary("xx", dir_.str()));
    EXPECT_FALSE(backend_.IsMisspelled("world"));
    EXPECT_TRUE(backend_.IsMisspelled("walks"));  // the suffix rule is not there
    EXPECT_TRUE(Contains(backend_.GetCorrectionsForMisspelling("wrold"), "world"));
  }

  bool Loadable() const {
    return IsLoadableAffixFile((dir_.path() / "xx.aff").string(),
                               (dir_.path() / "xx.dic").string());
  }

  TempDir dir_;
  HunspellBackend backend_;
};

TEST_F(BadAffixFile, AMissingFileLoadsTheWordListWithoutAWordOnStandardError) {
  ::testing::internal::CaptureStderr();
  ExpectLoadedWithoutAffixRules();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(BadAffixFile, AFolderAFifoOrADeviceIsLeftOutWithoutWaiting) {
  const auto affix = dir_.path() / "xx.aff";
  std::filesystem::create_directory(affix);
  ExpectLoadedWithoutAffixRules();
  std::filesystem::remove(affix);
  ASSERT_EQ(mkfifo(affix.c_str(), 0600), 0);
  ExpectLoadedWithoutAffixRules();
  std::filesystem::remove(affix);
  std::filesystem::create_symlink("/dev/zero", affix);
  ExpectLoadedWithoutAffixRules();
}

// "PHONE 1" with no entry after it: Hunspell builds a phonetic table without its end marker,
// and the first suggestion reads past it (SIGSEGV in phonet(), called from Hunspell::suggest).
TEST_F(BadAffixFile, ATableCutShortIsLeftOutInsteadOfCrashingSuggestions) {
  for (const char* affix :
       {"SET UTF-8\nPHONE 1\n", "PHONE 2\nPHONE", "PHONE 300000000\nPHONE A B\n",
        "REP 3\nREP a b\n", "MAP 2\nMAP ab\n", "ICONV 1", "OCONV 2\nOCONV a b\n",
        "BREAK 2\nBREAK -\n", "COMPOUNDRULE 2\nCOMPOUNDRULE ab\n", "CHECKCOMPOUNDPATTERN 1\n",
        "SFX S Y 2\nSFX S 0 s .\n", "PFX U Y 1", "FLAG long\nAF 2\nAF Ss\n", "AM 1\n",
        "AM \v2147483647\n", "AM -33166666666\n", "REP 99999999999999999999999\n"}) {
    SCOPED_TRACE(affix);
    dir_.Write("xx.aff", affix);
    EXPECT_FALSE(Loadable());
    ExpectLoadedWithoutAffixRules();
  }
}

// "PHONE A": Hunspell gives up on the table at the entry with a field missing but keeps it,
// without its end marker, and the first suggestion reads past it (SIGSEGV in phonet()).
TEST_F(BadAffixFile, APhoneEntryWithAFieldMissingIsLeftOutInsteadOfCrashingSuggestions) {
  const std::string long_field(2000, 'A');  // beyond the 1024 bytes of a line looked at
  for (const std::string& affix : std::vector<std::string>{
           "PHONE 1\nPHONE A\n", "PHONE 1\nPHONE\n", "PHONE 2\nPHONE A\nPHONE B\n",
           "PHONE 2\nPHONE A B\nREP a b\n", "SET UTF-8\nPHONE 1\nPHONE\tA \r\n",
           "PHONE 1\nPHONE A\rB\r\n", "PHONE 1\nPHONE " + long_field + " B\n"}) {
    SCOPED_TRACE(affix);
    dir_.Write("xx.aff", affix);
    EXPECT_FALSE(Loadable());
    ExpectLoadedWithoutAffixRules();
  }
}

// The PHONE table only ranks suggestions: a file that is bad only there goes to Hunspell without
// it, and keeps its affix rules and replacements.
TEST_F(BadAffixFile, ABrokenPhoneTableIsLeftOutAndTheRestOfTheFileKept) {
  dir_.Write("xx.aff",
             "\xEF\xBB\xBFSET UTF-8\r\nSFX S Y 1\r\nSFX S 0 s .\r\nPHONE 2\r\nPHONE A\r\nPHONE "
             "B\r\nREP 1\r\nREP rold orld\r\nPHONE 1\nPHONE\n");
  const std::optional<std::string> mended =
      AffixFileWithoutPhoneTables((dir_.path() / "xx.aff").string());
  ASSERT_TRUE(mended);
  EXPECT_EQ(*mended,
            "\xEF\xBB\xBFSET UTF-8\r\nSFX S Y 1\r\nSFX S 0 s .\r\nREP 1\r\nREP rold orld\r\n");
  ASSERT_TRUE(backend_.SetDictionary("xx", dir_.str()));
  UseEverything(backend_);
  ASSERT_TRUE(backend_.SetDictionary("xx", dir_.str()));
  EXPECT_FALSE(backend_.IsMisspelled("walks"));
  EXPECT_EQ(backend_.GetCorrectionsForMisspelling("wrold").front(), "world");
}

TEST_F(BadAffixFile, AFileBadBeyondItsPhoneTableIsStillLeftOut) {
  dir_.Write("xx.aff", "SFX S Y 1\nSFX S 0 s .\nPHONE 1\nPHONE A\nREP 3\nREP a b\n");
  ExpectLoadedWithoutAffixRules();
  dir_.Write("xx.aff", "SFX S Y 1\nSFX S 0 s .\nREP 1\nREP a b\n");
  EXPECT_FALSE(AffixFileWithoutPhoneTables((dir_.path() / "xx.aff").string()));
}

// Counts that make Hunspell reserve gigabytes before reading an entry (std::bad_alloc out of
// its constructor where the system refuses, an address space taken where it does not).
TEST_F(BadAffixFile, AHugeTableCountIsLeftOutInsteadOfReservingGigabytes) {
  for (const char* affix : {"REP 2147483647\nREP a b\n", "MAP 99999999999\n", "BREAK 2147483647\n",
                            "COMPOUNDRULE 2147483647\n", "CHECKCOMPOUNDPATTERN 300000000\n"}) {
    SCOPED_TRACE(affix);
    dir_.Write("xx.aff", affix);
    ExpectLoadedWithoutAffixRules();
  }
}

// Hunspell's UTF-16 conversion gives up on a byte from 0xF0 up; for TRY and KEY it goes on
// with what it has, and suggestions then read far out of bounds (SIGSEGV in Hunspell::suggest).
TEST_F(BadAffixFile, ASuggestionLineBeyondTheBmpInAUtf8FileIsLeftOutInsteadOfCrashing) {
  for (const char* affix : {"SET UTF-8\nTRY \xF0\x9D\x92\x9C\n", "SET UTF-8\nTRY esian\xFF\xFF\n",
                            "TRY a\xF5\nSET UTF-8\n", "SET UTF-8\r\nKEY qwe|\xF8|asd\r\n",
                            "SET UTF-8\nKEY \xF0\x9F\x98\x80\n"}) {
    SCOPED_TRACE(affix);
    dir_.Write("xx.aff", affix);
    EXPECT_FALSE(Loadable());
    ExpectLoadedWithoutAffixRules();
  }
}

// With an AM table Hunspell takes every morphological field of the word list for an alias
// number and dereferences the alias unchecked: SIGSEGV (strstr on a null pointer) in the
// Hunspell constructor.
TEST_F(BadAffixFile, AliasesTheWordListDoesNotUseAreLeftOutInsteadOfCrashingTheLoad) {
  dir_.Write("xx.aff", "AM 2\nAM po:noun\nAM po:verb\n");
  for (const char* field : {"\tx", "\t0", "\t3", "\t-1", " po:noun", "  st:y", " 12:30"}) {
    SCOPED_TRACE(field);
    dir_.Write("xx.dic", std::string("3\nhello\nworld") + field + "\nwalk/S\n");
    EXPECT_FALSE(Loadable());
    ExpectLoadedWithoutAffixRules();
  }
  dir_.Write("xx.dic", "3\nhello\n\tpo:x\nworld\nwalk/S\n");  // a line of a field alone
  EXPECT_FALSE(Loadable());
  // A second AM header is refused by Hunspell, which keeps the first table of 2.
  dir_.Write("xx.aff", "AM 2\nAM po:noun\nAM po:verb\nAM  S Y 1\nSFX S 0 s .\n");
  dir_.Write("xx.dic", "3\nhello\nworld\t3\nwalk/S\n");
  EXPECT_FALSE(Loadable());
  ExpectLoadedWithoutAffixRules();
}

// Found by the dictionary fuzzer: bytes no dictionary holds make Hunspell see an AM header
// where the look at the file sees an entry of an AF table, and it asked for 11 GB.
TEST_F(BadAffixFile, AHugeCountThatMayNotBeAHeaderIsStillLeftOut) {
  static constexpr char kAffix[] =
      "AF\xFF\xFF\0\0\0"
      "4DRUH\xC5SF$ 4s YUN\n\0 SA\nAM 00000000001400149266F\xFF\xFFg\n\0 \xFF\xFF\xFF"
      "F-0F\nnA\xFFPM";
  dir_.Write("xx.aff", std::string(kAffix, sizeof kAffix - 1));
  EXPECT_FALSE(Loadable());
  ExpectLoadedWithoutAffixRules();
}

// Found by the dictionary fuzzer: a REP pattern that is a NUL byte (stack-buffer-underflow in
// Hunspell::suggest).
TEST_F(BadAffixFile, ANulByteIsLeftOutInsteadOfUnderflowingSuggestions) {
  static constexpr char kAffix[] = "REP 1\nREP \0 <\n";
  dir_.Write("xx.aff", std::string(kAffix, sizeof kAffix - 1));
  EXPECT_FALSE(Loadable());
  ExpectLoadedWithoutAffixRules();
}

TEST_F(BadAffixFile, GarbageBytesLoadAndAnswer) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    std::string garbage = Garbage(20000, seed);
    dir_.Write("xx.aff", garbage);
    ASSERT_TRUE(backend_.SetDictionary("xx", dir_.str()));
    UseEverything(backend_);
    // Without NUL bytes, so that Hunspell itself reads the garbage.
    std::replace(garbage.begin(), garbage.end(), '\0', ' ');
    dir_.Write("xx.aff", garbage);
    ASSERT_TRUE(backend_.SetDictionary("xx", dir_.str()));
    UseEverything(backend_);
  }
}

// The look at the file must not refuse good affix files, or their rules would be lost.
class GoodAffixFile : public ::testing::Test {
 protected:
  bool Loadable(const std::string& affix) {
    dir_.Write("xx.aff", affix);
    dir_.Write("xx.dic", "1\nhello\n");
    return IsLoadableAffixFile((dir_.path() / "xx.aff").string(),
                               (dir_.path() / "xx.dic").string());
  }
  TempDir dir_;
};

TEST_F(GoodAffixFile, CompleteTablesAreKeptAndUsed) {
  const TempDir dir;
  dir.Write("xx.aff",
            "\xEF\xBB\xBFSET UTF-8\r\nSFX S Y 1\r\nSFX S 0 s .\r\nREP 1\r\nREP rold orld");
  dir.Write("xx.dic", "2\nworld\nwalk/S\n");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("xx", dir.str()));
  EXPECT_FALSE(backend.IsMisspelled("walks"));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("wrold").front(), "world");
}

TEST_F(GoodAffixFile, EntriesThatLookLikeHeadersBelongToTheirTable) {
  EXPECT_TRUE(Loadable("REP 2\nREP 1 one\nREP 12 twelve\n"));
  EXPECT_TRUE(Loadable("FLAG num\nAF 2\nAF 5\nAF 7\nSFX 5 Y 1\nSFX 5 0 9 .\n"));
  EXPECT_TRUE(Loadable("PHONE 1\nPHONE 3 three\n"));
  EXPECT_TRUE(Loadable("PHONE 2\nPHONEX AH(AEIOUY)-^ *H\nPHONE\tA _ extra\r\n"));
  // Counts Hunspell rejects take no lines (atoi("4294967296") is 0 with a 64-bit long, but
  // INT_MAX with a 32-bit one, so that one is refused).
  EXPECT_TRUE(Loadable("SFX A Y 0\nREP 0\nMAP -1\nBREAK x\n"));
  EXPECT_FALSE(Loadable("REP 4294967296\n"));
  EXPECT_TRUE(Loadable(std::string(100000, 'x') + "\nREP 1\nREP a b"));
  EXPECT_FALSE(Loadable("REP 2\nREP 1 one\nREP 12 twelve\nPHONE 1\n"));
}

TEST_F(GoodAffixFile, HighBytesAreLettersInEightBitFilesAndWordsAnywhere) {
  EXPECT_TRUE(Loadable("SET ISO8859-1\nTRY esian\xF1\xF6\xFC\xF8\n"));
  EXPECT_TRUE(Loadable("SET utf-8\nTRY \xF1\n"));  // not UTF-8 to Hunspell, which asks for "UTF-8"
  EXPECT_TRUE(
      Loadable("SET UTF-8\nTRY esian\xC3\xA9\nWORDCHARS \xF0\x9D\x92\x9C\n"
               "REP 1\nREP \xF0\x9D\x92\x9C a\n"));
  EXPECT_TRUE(Loadable("SET UTF-8\nTRY " + std::string(300, 'a') + "\n"));
  EXPECT_FALSE(Loadable("SET UTF-8\nTRY " + std::string(300, 'a') + "\xF0\x9D\x92\x9C\n"));
}

TEST_F(GoodAffixFile, AliasesTheWordListUsesByNumberAreKept) {
  const TempDir dir;
  dir.Write("xx.aff", "AM 2\nAM po:noun\nAM po:verb\nSFX S Y 1\nSFX S 0 s .\n");
  dir.Write("xx.dic", "4\nhello\t1\nworld 2:x\nwalk/S\t 2\nab:c\n");
  EXPECT_TRUE(
      IsLoadableAffixFile((dir.path() / "xx.aff").string(), (dir.path() / "xx.dic").string()));
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("xx", dir.str()));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  EXPECT_FALSE(backend.IsMisspelled("walks"));
}

TEST_F(GoodAffixFile, TheSystemEnglishAffixFileIsKept) {
  EXPECT_TRUE(IsLoadableAffixFile(testing::SystemDictionaryDir() + "/en_US.aff",
                                  testing::SystemDictionaryDir() + "/en_US.dic"));
}

}  // namespace
}  // namespace spellshell
