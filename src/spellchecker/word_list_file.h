// A look at a word list (".dic") before Hunspell loads it, for the contents that make its
// loading take minutes rather than milliseconds. Hunspell chains the entries of one hash bucket
// and walks the chain for every entry it adds, so a bucket of n entries costs n * n / 2 steps:
//   - the same word on many lines (200,000 lines of "/" or of one word, or of blank lines, which
//     are all the empty word): one bucket holds them all;
//   - a count line far below the number of entries (a count of 1 over 200,000 words): the table
//     gets about 1,000 buckets, 200 entries in each (11 s to load);
//   - distinct words that Hunspell's hash puts in one bucket (it is linear: "ba" and "cA" in the
//     same place cancel, so 2^15 such words take 4 s).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spellshell {

// The whole file, when it is a regular file that reads without error (path as
// HunspellDictionaryPath gives it).
bool ReadWholeFile(const std::string& path, std::string& contents);

// A line as Hunspell's getline and mychomp leave it: the last byte goes if it is a CR, and one
// more if the byte before it is a CR ("a\rb" ends as "a\r").
std::string_view Chomp(std::string_view line);

// Hunspell's morphological field of a word-list line: after the first tab, or from the first
// colon that has a blank three bytes before it ("walk po:verb"), whichever comes first. Empty
// when the line has none.
std::string_view MorphologicalField(std::string_view line);

// How much a word list holds, as read on the way.
struct WordListSize {
  std::uint64_t bytes = 0;    // of the file
  std::uint64_t entries = 0;  // the lines Hunspell adds as words (none without a valid count)
};

// The word list Hunspell should be given instead of the file, or nothing when the file can go
// as it is (also when it cannot be read: Hunspell then reads nothing either). `size`, when
// given, receives the size of what Hunspell gets. The mended list
// keeps the first kMaxEntriesPerWord lines of each word and the first kMaxEntriesPerBucket of
// each bucket of Hunspell's table, in their order and bytes, and a count no smaller than the
// lines it holds. The path is in the form HunspellDictionaryPath gives.
// A list that needs no mending (every dictionary shipped) is read once, 64 KiB at a time, and
// costs a counter byte per bucket of Hunspell's table: no copy of the file, no table of its
// words. Only a list that needs mending is read whole and mended by MendWordListFully.
std::optional<std::string> MendedWordList(const std::string& word_list_path,
                                          WordListSize* size = nullptr);

// The same for a word list held in memory.
std::optional<std::string> MendWordList(const std::string& contents, WordListSize* size = nullptr);

// Whether MendWordList would mend the list, found by MendedWordList's counting pass.
bool WordListNeedsMending(const std::string& contents);

// The thorough way: a table of every word, and a copy of the lines kept. Gives what MendWordList
// gives for every list (the tests check that the counting pass agrees with it).
std::optional<std::string> MendWordListFully(std::string_view contents,
                                             WordListSize* size = nullptr);

// 64 lines of one word: the most any dictionary holds is a handful (4 in French, homonyms with
// different affixes), and 64 * 64 / 2 steps per word keep a list of a million lines loading in
// well under a second.
inline constexpr std::size_t kMaxEntriesPerWord = 64;

// 1,024 entries in one bucket of Hunspell's table: Debian's French list fills its fullest with
// 94, and a million lines capped so load in about a second.
inline constexpr std::size_t kMaxEntriesPerBucket = 1024;

}  // namespace spellshell
