#include "spellchecker/word_verdict_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace spellshell {
namespace {

using Verdict = WordVerdictCache::Verdict;

TEST(WordVerdictCache, AnswersOnlyWhatWasStoredForTheSameBytes) {
  WordVerdictCache cache;
  EXPECT_EQ(cache.Find("word"), Verdict::kUnknown);  // nothing allocated yet
  cache.Store("word", false);
  cache.Store("wrod", true);
  EXPECT_EQ(cache.Find("word"), Verdict::kCorrect);
  EXPECT_EQ(cache.Find("wrod"), Verdict::kMisspelled);
  EXPECT_EQ(cache.Find("Word"), Verdict::kUnknown);
  EXPECT_EQ(cache.Find("wor"), Verdict::kUnknown);
  EXPECT_EQ(cache.Find(std::string("word\0x", 6)), Verdict::kUnknown);
  cache.Store(std::string("word\0x", 6), true);  // the bytes after a NUL are part of the key
  EXPECT_EQ(cache.Find(std::string("word\0x", 6)), Verdict::kMisspelled);
  EXPECT_EQ(cache.Find("word"), Verdict::kCorrect);
}

TEST(WordVerdictCache, NeverHoldsEmptyOrTooLongWords) {
  WordVerdictCache cache;
  const std::string longest(WordVerdictCache::kMaxWordBytes, 'a');
  const std::string too_long(WordVerdictCache::kMaxWordBytes + 1, 'a');
  cache.Store("", true);
  cache.Store(longest, true);
  cache.Store(too_long, true);
  EXPECT_EQ(cache.Find(""), Verdict::kUnknown);
  EXPECT_EQ(cache.Find(longest), Verdict::kMisspelled);
  EXPECT_EQ(cache.Find(too_long), Verdict::kUnknown);
}

TEST(WordVerdictCache, ClearForgetsEverything) {
  WordVerdictCache cache;
  cache.Clear();  // before any allocation
  cache.Store("word", false);
  cache.Clear();
  EXPECT_EQ(cache.Find("word"), Verdict::kUnknown);
}

TEST(WordVerdictCache, ALookedUpSlotReadsUnknownUntilItsVerdictIsWritten) {
  WordVerdictCache cache;
  Verdict* slot = nullptr;
  EXPECT_EQ(cache.Lookup("wrod", slot), Verdict::kUnknown);
  ASSERT_NE(slot, nullptr);
  // An answer that never came (the backend threw) leaves the word unknown, never a verdict.
  EXPECT_EQ(cache.Find("wrod"), Verdict::kUnknown);
  Verdict* again = nullptr;
  EXPECT_EQ(cache.Lookup("wrod", again), Verdict::kUnknown);
  EXPECT_EQ(again, slot);  // the same word does not take a second slot
  *slot = Verdict::kMisspelled;
  EXPECT_EQ(cache.Find("wrod"), Verdict::kMisspelled);
  EXPECT_EQ(cache.Lookup("wrod", again), Verdict::kMisspelled);
  EXPECT_EQ(again, slot);

  Verdict* none = slot;
  EXPECT_EQ(cache.Lookup(std::string(31, 'x'), none), Verdict::kUnknown);
  EXPECT_EQ(none, nullptr);  // never cached
  EXPECT_EQ(cache.Lookup("", none), Verdict::kUnknown);
  EXPECT_EQ(none, nullptr);
}

TEST(WordVerdictCache, AllocatesOnceAndReportsIt) {
  WordVerdictCache cache;
  EXPECT_TRUE(cache.Allocate());
  cache.Store("word", false);
  EXPECT_FALSE(cache.Allocate());  // already there: nothing lost
  EXPECT_EQ(cache.Find("word"), Verdict::kCorrect);
}

// Far more words than slots: whatever is evicted, a hit is always the stored verdict.
TEST(WordVerdictCache, SeededRandomWordsNeverGetAWrongVerdict) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> length(1, 34);
  std::uniform_int_distribution<int> letter('a', 'e');
  std::map<std::string, bool> truth;
  WordVerdictCache cache;
  std::size_t hits = 0;
  for (int i = 0; i < 200000; ++i) {
    std::string word(static_cast<std::size_t>(length(random)), 'a');
    for (char& c : word) c = static_cast<char>(letter(random));
    const auto known = truth.try_emplace(word, random() % 2 == 0).first;
    // Both ways in: the plain pair, and the lookup that makes the slot before the answer.
    if (i % 2 == 0) {
      const Verdict verdict = cache.Find(word);
      if (verdict != Verdict::kUnknown) {
        ++hits;
        ASSERT_EQ(verdict == Verdict::kMisspelled, known->second) << word;
      } else {
        cache.Store(word, known->second);
      }
    } else {
      Verdict* slot = nullptr;
      const Verdict verdict = cache.Lookup(word, slot);
      if (verdict != Verdict::kUnknown) {
        ++hits;
        ASSERT_EQ(verdict == Verdict::kMisspelled, known->second) << word;
      } else if (slot != nullptr && random() % 8 != 0) {  // now and then an answer never comes
        *slot = known->second ? Verdict::kMisspelled : Verdict::kCorrect;
      }
    }
  }
  EXPECT_GT(hits, 0u);
}

}  // namespace
}  // namespace spellshell
