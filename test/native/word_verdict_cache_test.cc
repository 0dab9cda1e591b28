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

TEST(WordVerdictCache, AMissIsKeptOnlyWhenItsAnswerIsRemembered) {
  WordVerdictCache cache;
  WordVerdictCache::Miss miss;
  EXPECT_EQ(cache.Lookup("wrod", miss), Verdict::kUnknown);
  ASSERT_NE(miss.index, WordVerdictCache::Miss::kNone);
  // An answer that never came (the backend threw) leaves the word unknown, never a verdict.
  EXPECT_EQ(cache.Find("wrod"), Verdict::kUnknown);
  WordVerdictCache::Miss again;
  EXPECT_EQ(cache.Lookup("wrod", again), Verdict::kUnknown);
  EXPECT_EQ(again.index, miss.index);  // the same word is headed for the same slot
  cache.Remember(again, "wrod", true);
  EXPECT_EQ(cache.Find("wrod"), Verdict::kMisspelled);
  EXPECT_EQ(cache.Lookup("wrod", again), Verdict::kMisspelled);

  for (const std::string& never : {std::string(31, 'x'), std::string()}) {
    WordVerdictCache::Miss none;
    EXPECT_EQ(cache.Lookup(never, none), Verdict::kUnknown);
    EXPECT_EQ(none.index, WordVerdictCache::Miss::kNone);
    cache.Remember(none, never, true);  // nothing to keep
    EXPECT_EQ(cache.Find(never), Verdict::kUnknown);
  }
}

// Looks the word up and, when unknown, remembers `misspelled` for it, as the script class does;
// gives what the lookup found.
Verdict Check(WordVerdictCache& cache, const std::string& word, bool misspelled) {
  WordVerdictCache::Miss miss;
  const Verdict verdict = cache.Lookup(word, miss);
  if (verdict == Verdict::kUnknown) cache.Remember(miss, word, misspelled);
  return verdict;
}

TEST(WordVerdictCache, AStreamOfNewWordsStopsLookingForAWhileThenLooksAgain) {
  using C = WordVerdictCache;
  WordVerdictCache cache;
  cache.Store("kept", false);
  // A window of words never seen before: the next kBypass lookups find nothing and keep nothing.
  for (int i = 1; i < C::kWindow; ++i) Check(cache, "new" + std::to_string(i), false);
  EXPECT_EQ(Check(cache, "kept", false), Verdict::kUnknown);
  for (int i = 1; i < C::kBypass; ++i) Check(cache, "skipped" + std::to_string(i), true);
  EXPECT_EQ(cache.Find("skipped1"), Verdict::kUnknown);
  // Then it looks again, and what it kept before is still there.
  EXPECT_EQ(Check(cache, "kept", true), Verdict::kCorrect);
}

TEST(WordVerdictCache, WordsThatComeBackKeepItLooking) {
  using C = WordVerdictCache;
  WordVerdictCache cache;
  // One word in eight seen before, twice the least that keeps it looking, over many windows.
  for (int i = 0; i < 20 * C::kWindow; ++i) {
    const bool repeat = i % (C::kWindow / C::kMinHits / 2) == 0;
    const Verdict verdict = Check(cache, repeat ? "again" : "new" + std::to_string(i), false);
    if (repeat && i > 0) {
      ASSERT_EQ(verdict, Verdict::kCorrect) << i;
    }
  }
}

TEST(WordVerdictCache, ClearStartsLookingAgain) {
  WordVerdictCache cache;
  for (int i = 0; i < WordVerdictCache::kWindow; ++i)
    Check(cache, "new" + std::to_string(i), false);
  cache.Clear();
  cache.Store("word", true);
  EXPECT_EQ(cache.Find("word"), Verdict::kMisspelled);
}

TEST(WordVerdictCache, AllocatesOnceAndReportsIt) {
  WordVerdictCache cache;
  EXPECT_TRUE(cache.Allocate());
  cache.Store("word", false);
  EXPECT_FALSE(cache.Allocate());  // already there: nothing lost
  EXPECT_EQ(cache.Find("word"), Verdict::kCorrect);
}

// A checker left without a dictionary gives its slots back; a later one gets new ones.
TEST(WordVerdictCache, ReleasesOnceForgettingEverythingAndAllocatesAgainOnUse) {
  WordVerdictCache cache;
  EXPECT_FALSE(cache.Release());  // nothing allocated yet
  cache.Store("word", false);
  EXPECT_TRUE(cache.Release());
  EXPECT_FALSE(cache.Release());
  EXPECT_EQ(cache.Find("word"), Verdict::kUnknown);
  cache.Store("word", true);
  EXPECT_EQ(cache.Find("word"), Verdict::kMisspelled);
  EXPECT_FALSE(cache.Allocate());
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
      WordVerdictCache::Miss miss;
      const Verdict verdict = cache.Lookup(word, miss);
      if (verdict != Verdict::kUnknown) {
        ++hits;
        ASSERT_EQ(verdict == Verdict::kMisspelled, known->second) << word;
      } else if (random() % 8 != 0) {  // now and then an answer never comes
        cache.Remember(miss, word, known->second);
      }
    }
  }
  EXPECT_GT(hits, 0u);
}

}  // namespace
}  // namespace spellshell
