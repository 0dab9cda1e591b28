#include "spellchecker/word_list_file.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/regular_file.h"

namespace spellshell {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The word of an entry as far as telling entries of one word apart goes: the line before its
// morphological field and before its flags, which start at the first "/" that is neither the
// line's first byte nor escaped as "\/".
std::string_view WordOf(std::string_view line) {
  line.remove_suffix(MorphologicalField(line).size());
  for (std::size_t slash = line.find('/', 1); slash != std::string_view::npos;
       slash = line.find('/', slash + 1)) {
    if (line[slash - 1] != '\\') return line.substr(0, slash);
  }
  return line;
}

// The bucket of Hunspell's table that a word goes to: its own hash, with its types (long is 32
// bits on Windows, 64 elsewhere; char is signed on both), so that collisions are the same.
std::size_t HunspellBucket(std::string_view word, std::size_t table_size) {
  unsigned long hash = 0;
  std::size_t i = 0;
  for (; i < 4 && i < word.size(); ++i) hash = (hash << 8) | static_cast<unsigned long>(word[i]);
  for (; i < word.size(); ++i) {
    hash = (hash << 5) | ((hash >> 27) & 31);
    hash ^= static_cast<unsigned long>(word[i]);
  }
  return hash % table_size;
}

// The word as Hunspell hashes it, near enough: without the blanks before a morphological field.
std::string_view HashedWord(std::string_view line) {
  std::string_view word = WordOf(line);
  while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.remove_suffix(1);
  return word;
}

// Hunspell's reading of the count line: atoi, and only counts from 1 up to what its table may
// hold load any word.
std::optional<long> WordCount(std::string_view line) {
  if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  const long count = std::atoi(std::string(line).c_str());
  constexpr long kMaxCount = (INT_MAX - 1 - 1005) / static_cast<long>(sizeof(void*));
  if (count <= 0 || count >= kMaxCount) return std::nullopt;
  return count;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& contents) {
  const std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(path));
  if (!file) return false;
  char chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) contents.append(chunk, got);
  return !std::ferror(file.get());
}

std::string_view Chomp(std::string_view line) {
  const std::size_t k = line.size();
  std::size_t kept = k;
  if (k > 0 && line[k - 1] == '\r') --kept;
  if (k > 1 && line[k - 2] == '\r') --kept;
  return line.substr(0, kept);
}

std::string_view MorphologicalField(std::string_view line) {
  std::size_t start = line.find('\t');
  if (start != std::string_view::npos) ++start;
  for (std::size_t colon = line.find(':'); colon != std::string_view::npos && colon < start;
       colon = line.find(':', colon + 1)) {
    if (colon > 3 && (line[colon - 3] == ' ' || line[colon - 3] == '\t')) {
      start = colon - 3;
      break;
    }
  }
  return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

std::optional<std::string> MendedWordList(const std::string& word_list_path, WordListSize* size) {
  WordListSize ignored;
  if (size == nullptr) size = &ignored;
  *size = {};
  std::string contents;
  if (!ReadWholeFile(word_list_path, contents)) return std::nullopt;
  size->bytes = contents.size();
  const std::string_view all(contents);
  std::size_t end = all.find('\n');
  const std::optional<long> count = WordCount(Chomp(all.substr(0, end)));
  if (!count) return std::nullopt;  // Hunspell loads no word at all

  std::vector<std::string_view> kept;  // the entry lines, newline excluded
  std::unordered_map<std::string_view, std::size_t> entries_per_word;
  entries_per_word.reserve(std::min<std::size_t>(*count, contents.size() / 2));
  bool dropped = false;
  while (end != std::string_view::npos && end + 1 < all.size()) {
    const std::size_t start = end + 1;
    end = all.find('\n', start);
    const std::string_view line =
        all.substr(start, end == std::string_view::npos ? end : end - start);
    if (++entries_per_word[WordOf(Chomp(line))] > kMaxEntriesPerWord) {
      dropped = true;
    } else {
      kept.push_back(line);
    }
  }
  // Hunspell's table has count + 1005 buckets; up to 8 entries a bucket on average load fast,
  // and a count a little off, as in many dictionaries, is left alone.
  const bool count_far_too_small = kept.size() / 8 > static_cast<std::size_t>(*count) + 1005;
  const std::size_t new_count = std::max<std::size_t>(kept.size(), *count);

  // Distinct words can share a bucket too: words made to collide (Hunspell's hash is linear,
  // so 2^n of them are easily written) load as slowly as one word repeated. A bucket keeps its
  // first kMaxEntriesPerBucket entries.
  std::size_t table_size = (count_far_too_small ? new_count : *count) + 1005;
  if (table_size % 2 == 0) ++table_size;
  std::vector<std::uint32_t> bucket_sizes(table_size);
  std::size_t bucket_dropped = 0;
  for (std::string_view& line : kept) {
    if (++bucket_sizes[HunspellBucket(HashedWord(Chomp(line)), table_size)] >
        kMaxEntriesPerBucket) {
      line = std::string_view();
      ++bucket_dropped;
    }
  }
  if (bucket_dropped > 0) {
    std::erase_if(kept, [](std::string_view line) { return line.data() == nullptr; });
    dropped = true;
  }
  size->entries = kept.size();
  if (!dropped && !count_far_too_small) return std::nullopt;

  std::string mended = std::to_string(count_far_too_small ? new_count : *count);
  mended.reserve(contents.size());
  for (const std::string_view line : kept) mended.append("\n").append(line);
  mended.push_back('\n');
  size->bytes = mended.size();
  return mended;
}

}  // namespace spellshell
