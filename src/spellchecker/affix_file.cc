#include "spellchecker/affix_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/regular_file.h"
#include "spellchecker/line_blocks.h"
#include "spellchecker/word_list_file.h"

namespace spellshell {
namespace {

// Every line of the file is tried against a dozen keywords.
inline bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.starts_with(prefix);
}

// Hunspell reads an affix file twice: once for the flag aliases (AF, AM), once for everything
// else. In each pass a table header is recognised by its line's prefix, and the next `count`
// lines belong to the table whatever they hold. Each pass is followed here with the same
// rules; the file is refused when a table still wants lines at the end of the file.
struct TablePass {
  std::uint64_t lines_owed = 0;  // entry lines the current table still takes
  bool phonetic = false;         // the current table is the PHONE table

  // Whether the line is an entry of a table (rather than a header or a line of its own).
  bool Feed(std::string_view line, bool (*header)(std::string_view, std::uint64_t&)) {
    if (lines_owed > 0) {
      --lines_owed;
      return true;
    }
    std::uint64_t count = 0;
    phonetic = header(line, count) && StartsWith(line, "PHONE");
    lines_owed = count;
    return false;
  }
};

bool IsFieldBlank(char c) { return c == ' ' || c == '\t'; }

// The n-th field (from 0) of a line, fields split at blanks and tabs as Hunspell splits them.
std::string_view Field(std::string_view line, int n) {
  const std::size_t size = line.size();
  std::size_t pos = 0;
  for (int i = 0;; ++i) {
    while (pos < size && IsFieldBlank(line[pos])) ++pos;
    if (pos == size) return {};
    std::size_t end = pos;
    while (end < size && !IsFieldBlank(line[end])) ++end;
    if (i == n) return line.substr(pos, end - pos);
    pos = end;
  }
}

// What atoi makes of a field: white space first, then an optional sign and digits, through
// strtol cast to int. Where long has 64 bits (Linux) the cast keeps the low 32 bits, so
// "-33166666666" reads as 1193071702; where it has 32 (Windows) strtol saturates. Both
// readings are kept, and a field must be harmless under each.
struct AtoiReadings {
  std::int64_t wrapped;    // 64-bit long, low 32 bits
  std::int64_t saturated;  // 32-bit long
};

AtoiReadings Atoi(std::string_view field) {
  std::size_t i = field.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string_view::npos) return {0, 0};
  const bool negative = field[i] == '-';
  if (field[i] == '-' || field[i] == '+') ++i;
  constexpr std::uint64_t kBeyondLong = std::uint64_t{1} << 63;  // where strtol saturates
  std::uint64_t magnitude = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    const unsigned digit = static_cast<unsigned>(field[i] - '0');
    magnitude = magnitude > (kBeyondLong - digit) / 10 ? kBeyondLong : magnitude * 10 + digit;
  }
  const std::int64_t as_long =
      negative ? (magnitude >= kBeyondLong ? INT64_MIN : -static_cast<std::int64_t>(magnitude))
               : static_cast<std::int64_t>(std::min<std::uint64_t>(magnitude, INT64_MAX));
  const auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(as_long));
  return {wrapped, std::clamp<std::int64_t>(as_long, INT32_MIN, INT32_MAX)};
}

// A table's count as Hunspell may read it: the larger reading; 0 when both are rejected
// counts (no digits, zero, negative).
std::uint64_t Count(std::string_view field) {
  const AtoiReadings readings = Atoi(field);
  return static_cast<std::uint64_t>(
      std::max<std::int64_t>({0, readings.wrapped, readings.saturated}));
}

bool MainPassHeader(std::string_view line, std::uint64_t& count) {
  // By the first letter, since every line of the file comes here: "REP", "ICONV", "OCONV",
  // "PHONE", "CHECKCOMPOUNDPATTERN", "COMPOUNDRULE", "MAP" and "BREAK" tables count their
  // entries in their second field, "PFX" and "SFX" ("SFX flag cross-product count") in their
  // fourth.
  if (line.empty()) return false;
  int count_field = 1;
  switch (line[0]) {
    case 'R':
      if (!StartsWith(line, "REP")) return false;
      break;
    case 'I':
      if (!StartsWith(line, "ICONV")) return false;
      break;
    case 'O':
      if (!StartsWith(line, "OCONV")) return false;
      break;
    case 'M':
      if (!StartsWith(line, "MAP")) return false;
      break;
    case 'B':
      if (!StartsWith(line, "BREAK")) return false;
      break;
    case 'C':
      if (!StartsWith(line, "CHECKCOMPOUNDPATTERN") && !StartsWith(line, "COMPOUNDRULE")) {
        return false;
      }
      break;
    case 'P':
      if (StartsWith(line, "PFX")) {
        count_field = 3;
      } else if (!StartsWith(line, "PHONE")) {
        return false;
      }
      break;
    case 'S':
      if (!StartsWith(line, "SFX")) return false;
      count_field = 3;
      break;
    default:
      return false;
  }
  count = Count(Field(line, count_field));
  return true;
}

bool AliasPassHeader(std::string_view line, std::uint64_t& count) {
  if (StartsWith(line, "AF") || StartsWith(line, "AM")) {
    count = Count(Field(line, 1));
    return true;
  }
  return false;
}

// Whether a morphological field names an alias from 1 to n under both readings of atoi.
bool IsAliasNumber(std::string_view field, std::uint64_t n) {
  const AtoiReadings readings = Atoi(field);
  const auto valid = [n](std::int64_t alias) {
    return alias >= 1 && static_cast<std::uint64_t>(alias) <= n;
  };
  return valid(readings.wrapped) && valid(readings.saturated);
}

using File = UniqueFile;

// Hunspell drops a byte order mark from a file's first line, and CRs from the end of each.
std::string_view Chomp(std::string_view line, bool first) {
  if (first && StartsWith(line, "\xEF\xBB\xBF")) line.remove_prefix(3);
  return spellshell::Chomp(line);
}

// An entry of the PHONE table as Hunspell takes it: a first field starting with "PHONE", then
// a pattern and its replacement. With a field missing, Hunspell gives up on the table but keeps
// it, without the empty entry that ends it, and the first suggestion reads past its end.
bool IsPhoneEntry(std::string_view line) {
  return StartsWith(Field(line, 0), "PHONE") && !Field(line, 2).empty();
}

// With morphological aliases (an AM table of n entries), Hunspell reads every morphological
// field of the word list as an alias number and dereferences the alias without checking it:
// a field that is not a number from 1 to n crashes it while it loads the word list.
bool WordListUsesOnlyAliases(const std::string& word_list_path, std::uint64_t aliases) {
  const File file(OpenRegularFile(word_list_path));
  if (!file) return false;
  bool first = true;  // the count line
  bool matches = true;
  const auto check_line = [&](std::string_view line) {
    line = Chomp(line, first);
    if (first) {
      first = false;
    } else if (const std::string_view field = MorphologicalField(line); !field.empty()) {
      matches = IsAliasNumber(field, aliases);
    }
    return matches;
  };
  const bool read = ForEachBlockOfLines(
      file.get(), [&](std::string_view block) { return ForEachLineOf(block, check_line); });
  return read && matches;
}

}  // namespace

std::optional<std::string> AffixFileWithoutPhoneTables(const std::string& affix_path) {
  std::string contents;
  if (!ReadWholeFile(affix_path, contents)) return std::nullopt;
  std::string mended;
  mended.reserve(contents.size());
  TablePass main_pass;
  bool first = true;
  bool dropped = false;
  std::uint64_t phone_lines_left = 0;  // of the PHONE table being dropped
  for (std::size_t start = 0; start < contents.size();) {
    const std::size_t newline = contents.find('\n', start);
    const std::size_t end = newline == std::string::npos ? contents.size() : newline + 1;
    const std::string_view raw(contents.data() + start, end - start);
    const std::string_view line =
        Chomp(raw.substr(0, raw.size() - (newline == std::string::npos ? 0 : 1)), first);
    first = false;
    start = end;
    const bool entry = main_pass.Feed(line, MainPassHeader);
    if (entry && phone_lines_left > 0) {
      --phone_lines_left;
      continue;
    }
    if (!entry && main_pass.phonetic) {
      phone_lines_left = main_pass.lines_owed;
      dropped = true;
      continue;
    }
    mended.append(raw);
  }
  if (!dropped) return std::nullopt;
  return mended;
}

bool IsLoadableAffixFile(const std::string& affix_path, const std::string& word_list_path) {
  const File file(OpenRegularFile(affix_path));
  if (!file) return false;

  TablePass main_pass;
  TablePass alias_pass;
  // The fewest aliases any AM header announces: Hunspell keeps one table and refuses the others,
  // so an alias number is only sure to exist when every header covers it.
  bool has_morphological_aliases = false;
  std::uint64_t morphological_aliases = UINT64_MAX;
  bool declares_utf8 = false;
  bool suggestion_line_beyond_bmp = false;  // a TRY or KEY line with a byte from 0xF0 up
  // Where the passes above may part from Hunspell's (on bytes no dictionary holds), a huge count
  // must still not reach it: any line that reads as a header with a count from 65536 up is
  // checked against the lines after it, whether or not it sits inside another table.
  struct HugeCount {
    std::uint64_t line, count;
  };
  std::vector<HugeCount> huge_counts;
  std::uint64_t lines = 0;
  bool first = true;
  bool nul_byte = false;
  bool broken_phone_entry = false;
  const auto check_line = [&](std::string_view raw) {
    // Only a line's start matters here (its keyword, count or first fields), so 1024 bytes of
    // it are looked at: a field longer than that in a PHONE entry refuses the file, safely.
    const std::string_view line = Chomp(raw.substr(0, 1024), first);
    first = false;
    std::uint64_t count = 0;
    if ((MainPassHeader(line, count) || AliasPassHeader(line, count)) && count >= 65536) {
      huge_counts.push_back({lines, count});
    }
    ++lines;
    // An entry of an AM table is a morphological description, never a number; a count makes
    // the line a header even where the alias pass takes it for an entry.
    if (StartsWith(line, "AM") && (Count(Field(line, 1)) > 0 || alias_pass.lines_owed == 0)) {
      has_morphological_aliases = true;
      morphological_aliases = std::min(morphological_aliases, Count(Field(line, 1)));
    }
    const bool phonetic = main_pass.phonetic;
    if (main_pass.Feed(line, MainPassHeader) && phonetic && !IsPhoneEntry(line)) {
      broken_phone_entry = true;
    }
    alias_pass.Feed(line, AliasPassHeader);
    if (StartsWith(line, "SET") && Field(line, 1) == "UTF-8") declares_utf8 = true;
    if ((StartsWith(line, "TRY") || StartsWith(line, "KEY")) &&
        std::any_of(raw.begin(), raw.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0xF0; })) {
      suggestion_line_beyond_bmp = true;
    }
    return true;
  };
  const bool read = ForEachBlockOfLines(file.get(), [&](std::string_view block) {
    nul_byte = nul_byte || std::memchr(block.data(), '\0', block.size()) != nullptr;
    return ForEachLineOf(block, check_line);
  });
  if (!read || nul_byte || broken_phone_entry || main_pass.lines_owed > 0 ||
      alias_pass.lines_owed > 0) {
    return false;
  }
  for (const HugeCount& huge : huge_counts) {
    if (huge.count > lines - huge.line - 1) return false;
  }
  if (declares_utf8 && suggestion_line_beyond_bmp) return false;
  return !has_morphological_aliases ||
         WordListUsesOnlyAliases(word_list_path, morphological_aliases);
}

}  // namespace spellshell
