// The counting pass that lets a word list go to Hunspell as it is (WordListNeedsMending, and
// MendWordList and MendedWordList built on it) against the thorough mending it stands in for
// (MendWordListFully). They must agree on every list: where the pass says "as it is" wrongly,
// a list that takes minutes to load reaches Hunspell; where it says "mend" wrongly, a good list
// is copied for nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "spellchecker/word_list_file.h"
#include "test_dictionaries.h"

namespace spellshell {
namespace {

using testing::TempDir;

std::string Lines(const std::vector<std::string>& lines) {
  std::string list;
  for (const std::string& line : lines) list.append(line).push_back('\n');
  return list;
}

std::string Repeat(const std::string& line, int times) {
  std::string lines;
  for (int i = 0; i < times; ++i) lines.append(line).push_back('\n');
  return lines;
}

// `n` distinct words, "0x", "1x", ...
std::string NumberedWords(int n) {
  std::string lines;
  for (int i = 0; i < n; ++i) lines += std::to_string(i) + "x\n";
  return lines;
}

// `n` distinct words that Hunspell's hash puts in one bucket, whatever the table's size: three
// ASCII letters, then a byte from 0x80 up, which Hunspell's hash sign-extends and ORs over
// everything before it.
std::string CollidingWords(int n) {
  std::string lines;
  for (int i = 0; i < n; ++i) {
    lines += static_cast<char>('a' + i % 26);
    lines += static_cast<char>('a' + i / 26 % 26);
    lines += static_cast<char>('a' + i / 676 % 26);
    lines += "\xC3\xA9\n";
  }
  return lines;
}

// The counting pass and the thorough way give the same verdict, list and sizes.
void ExpectAgreement(const std::string& list) {
  WordListSize fully_size;
  WordListSize size;
  const std::optional<std::string> fully = MendWordListFully(list, &fully_size);
  EXPECT_EQ(WordListNeedsMending(list), fully.has_value());
  EXPECT_EQ(MendWordList(list, &size), fully);
  EXPECT_EQ(size.entries, fully_size.entries);
  EXPECT_EQ(size.bytes, fully_size.bytes);
}

TEST(WordListCensus, AgreesWithTheThoroughWayOnEachShapeOfEntry) {
  struct Case {
    const char* name;
    std::string list;
    bool mended;
  };
  const std::string sixty_five_ways =
      Repeat("walk", 5) + Repeat("walk/S", 5) + Repeat("walk/ABC", 5) + Repeat("walk\r", 5) +
      Repeat("walk/S\r", 5) + Repeat("walk\r\r", 5) + Repeat("walk/S\tpo:verb", 5) +
      Repeat("walk po:verb", 5) + Repeat("walk/S  po:verb", 5) + Repeat("walk/S po:verb", 5) +
      Repeat("walk/S:x", 5) + Repeat("walk/", 5) + Repeat("walk/S/T", 5);
  const std::vector<Case> cases = {
      {"64 entries of one word", "100\n" + Repeat("walk/S", 64), false},
      {"65 entries of one word", "100\n" + Repeat("walk/S", 65), true},
      {"one word written 65 ways", "100\n" + sixty_five_ways, true},
      {"one word written 64 ways", "100\n" + sixty_five_ways.substr(sixty_five_ways.find('\n') + 1),
       false},
      {"65 entries, the last without a newline", "100\n" + Repeat("walk", 64) + "walk", true},
      {"64 entries and a count with a byte order mark",
       "\xEF\xBB\xBF"
       "100\n" +
           Repeat("a", 64),
       false},
      {"65 blank lines (the empty word)", "100\n" + Repeat("", 65), true},
      {"65 lines of a slash alone", "100\n" + Repeat("/", 65), true},
      {"64 lines of a slash alone and one of a slash and flags", "100\n" + Repeat("/", 64) + "/S\n",
       false},
      {"an escaped slash belongs to the word",
       "100\n" + Repeat("a\\/b/S", 33) + Repeat("a\\/b", 32), true},
      {"an escaped slash makes another word", "100\n" + Repeat("a\\/b", 33) + Repeat("a", 32),
       false},
      {"a CR before the last byte takes that byte",
       "100\n" + Repeat("walk\rX", 33) + Repeat("walk\r", 32), false},
      {"... whatever that byte is", "100\n" + Repeat("walk\rX", 33) + Repeat("walk\rY", 32), true},
      {"a field three bytes before a colon starts before the slash",
       "100\n" + Repeat("ab c/:x", 33) + Repeat("ab", 32), true},
      {"a tab is part of the word before a field",
       "100\n" + Repeat("walk\t po:x", 33) + Repeat("walk", 32), false},
      {"a blank ends no word without a field", "100\n" + Repeat("walk ", 33) + Repeat("walk", 32),
       false},
      {"NUL bytes in words", "100\n" + Repeat(std::string("wa\0lk", 5), 65), true},
      {"UTF-8 words", "100\n" + Repeat("caf\xC3\xA9/S", 65), true},
      {"digits and punctuation in words", "100\n" + Repeat("1er/--", 33) + Repeat("1er", 32), true},
      {"1,024 distinct words in one bucket", "2000\n" + CollidingWords(1024), false},
      {"1,025 distinct words in one bucket", "2000\n" + CollidingWords(1025), true},
      {"300 distinct words in one bucket, a count far above", "99999\n" + CollidingWords(300),
       false},
      {"8,055 entries under a count of 1", "1\n" + NumberedWords(8055), false},
      {"8,056 entries under a count of 1 (too many for its table)", "1\n" + NumberedWords(8056),
       true},
      {"a count Hunspell rejects", "0\n" + Repeat("walk", 200), false},
      {"no count line at all", "", false},
      {"a count line alone", "5", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WordListNeedsMending(c.list), c.mended);
    ExpectAgreement(c.list);
  }
}

// Lists of few bytes, drawn to repeat words many ways and to sit near the limits: a handful of
// words, each on 55 to 75 lines written with random flags, fields and line ends, among random
// lines of bytes that mean something to the reader.
TEST(WordListCensus, AgreesWithTheThoroughWayOnRandomLists) {
  std::uint32_t seed = 20240611;
  const auto next = [&seed](std::uint32_t bound) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % bound;
  };
  static const char kBytes[] = {'a', 'b',  '/',    '\\',   '\t', ':',
                                ' ', '\r', '\xC3', '\xF0', '\0', '1'};
  static const char* const kDecorations[] = {"",     "/S",     "/AB",   "\r",      "\r\r",
                                             "/S\r", "\tpo:x", " po:x", "/S po:x", "/",
                                             "/S:x", "  po:x", "\t",    " ",       "/S\tx"};
  int mended = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<std::string> lines;
    const std::uint32_t words = 1 + next(4);
    for (std::uint32_t w = 0; w < words; ++w) {
      std::string word;
      for (std::uint32_t i = next(6); i > 0; --i) word += kBytes[next(sizeof kBytes)];
      for (std::uint32_t n = 55 + next(21); n > 0; --n) {
        lines.push_back(word + kDecorations[next(std::size(kDecorations))]);
      }
    }
    for (std::uint32_t n = next(100); n > 0; --n) {
      std::string line;
      for (std::uint32_t i = next(10); i > 0; --i) line += kBytes[next(sizeof kBytes)];
      lines.push_back(line);
    }
    for (std::size_t i = lines.size(); i > 1; --i) {
      std::swap(lines[i - 1], lines[next(static_cast<std::uint32_t>(i))]);
    }
    const std::size_t count_choices[] = {1, lines.size(), lines.size() / 9, 100000};
    std::string list = std::to_string(count_choices[next(4)]) + "\n" + Lines(lines);
    if (next(4) == 0) list.pop_back();  // the last line without its newline
    SCOPED_TRACE("round " + std::to_string(round));
    ExpectAgreement(list);
    mended += MendWordListFully(list).has_value() ? 1 : 0;
  }
  // Both verdicts came up often enough for the agreement to mean something.
  EXPECT_GT(mended, 100);
  EXPECT_LT(mended, 300);
}

// MendedWordList reads the file 64 KiB at a time: lines across those blocks, a line longer than
// a block and a second pass over the file must read as the list in memory does.
TEST(WordListCensus, ReadsAFileInBlocksAsTheListInMemory) {
  std::string filler;
  for (int i = 0; filler.size() < 150000; ++i) filler += "word" + std::to_string(i) + "/S\n";
  const std::string long_line(200000, 'x');
  const std::vector<std::string> lists = {
      "100000\n" + filler + Repeat("walk/S\r", 65) + filler,
      "100000\n" + filler + Repeat("walk/S", 64) + long_line + "\n" + filler + "walk",
      "100000\n" + long_line + "\n" + filler + Repeat("walk", 64),
      "100000\n" + filler + CollidingWords(300) + filler,   // counted twice, no mending
      "100000\n" + filler + CollidingWords(1025) + filler,  // counted twice, mended
      long_line + "\n" + filler,                            // a count line Hunspell rejects
  };
  const TempDir dir;
  for (const std::string& list : lists) {
    SCOPED_TRACE(list.substr(0, 20));
    const std::string path = dir.Write("xx.dic", list).string();
    WordListSize from_file;
    WordListSize in_memory;
    EXPECT_EQ(MendedWordList(path, &from_file), MendWordList(list, &in_memory));
    EXPECT_EQ(from_file.entries, in_memory.entries);
    EXPECT_EQ(from_file.bytes, in_memory.bytes);
    ExpectAgreement(list);
  }
}

}  // namespace
}  // namespace spellshell
