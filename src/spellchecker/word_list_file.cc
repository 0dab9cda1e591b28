#include "spellchecker/word_list_file.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/regular_file.h"
#include "spellchecker/line_blocks.h"

namespace spellshell {
namespace {

using File = UniqueFile;

struct MemoryFreer {
  void operator()(void* memory) const { std::free(memory); }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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

// Hunspell's hash of a word, before it takes the remainder by its table's size, with its types
// (long is 32 bits on Windows, 64 elsewhere; char is signed on both), so that collisions are
// the same.
unsigned long HunspellHash(std::string_view word) {
  unsigned long hash = 0;
  std::size_t i = 0;
  for (; i < 4 && i < word.size(); ++i) hash = (hash << 8) | static_cast<unsigned long>(word[i]);
  for (; i < word.size(); ++i) {
    hash = (hash << 5) | ((hash >> 27) & 31);
    hash ^= static_cast<unsigned long>(word[i]);
  }
  return hash;
}

// The word as Hunspell hashes it, near enough: without the blanks before a morphological field.
std::string_view HashedWord(std::string_view line) {
  std::string_view word = WordOf(line);
  while (!word.empty() && IsBlank(word.back())) word.remove_suffix(1);
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

// The size of Hunspell's table for a count: count + 1005 buckets, made odd.
std::size_t TableSize(std::size_t count) {
  const std::size_t size = count + 1005;
  return size % 2 == 0 ? size + 1 : size;
}

// Two hashes of an entry's word: Hunspell's (HunspellHash), which puts it in its bucket, and a
// second one of our own (FNV-1a), which tells apart the words whose first hashes are equal:
// Hunspell's ORs a byte from 0x80 up, sign-extended, over everything before it among the first
// four, so that up to 94 distinct words of Debian's French list share one value.
struct WordHashes {
  unsigned long hunspell = 0;
  std::uint64_t own = 0xCBF29CE484222325ull;
};

constexpr std::uint64_t kFnvPrime = 0x100000001B3ull;

WordHashes HashWord(std::string_view word) {
  WordHashes hashes;
  hashes.hunspell = HunspellHash(word);
  for (const char c : word) hashes.own = (hashes.own ^ static_cast<unsigned char>(c)) * kFnvPrime;
  return hashes;
}

// Calls on_entry(line, hashes) for each line of a block (newline excluded) with the hashes of
// its word (HashedWord of the line as Chomp leaves it), in one pass that looks at each byte of
// the word once and at the rest of the line only as memchr does. The block is one from
// ForEachBlockOfLines or the end of a std::string: a byte no higher than ':' follows its last
// line in memory, which ends every scan below without a bound.
template <typename OnEntry>
void ForEachEntryHash(std::string_view block, OnEntry on_entry) {
  const char* const last = block.data() + block.size();
  for (const char* line = block.data(); line < last;) {
    // Almost every entry is a word of bytes above ':' (letters, UTF-8 sequences) that ends at a
    // "/" or at the end of its line. Those bytes are hashed as they are read. Such a word is
    // what WordOf gives: no CR for Chomp to take, no blank for a morphological field three
    // bytes before a colon, and its "/" escaped by no backslash. (Plain locals, not the struct:
    // stores through a WordHashes could alias the bytes read, and slow every byte.)
    const char* p = line;
    unsigned long hunspell = 0;
    std::uint64_t own = WordHashes().own;
    for (int i = 0; i < 4; ++i, ++p) {
      const char c = *p;
      if (static_cast<unsigned char>(c) <= ':') break;
      hunspell = (hunspell << 8) | static_cast<unsigned long>(c);
      own = (own ^ static_cast<unsigned char>(c)) * kFnvPrime;
    }
    for (;; ++p) {
      const char c = *p;
      if (static_cast<unsigned char>(c) <= ':') break;
      hunspell = ((hunspell << 5) | ((hunspell >> 27) & 31)) ^ static_cast<unsigned long>(c);
      own = (own ^ static_cast<unsigned char>(c)) * kFnvPrime;
    }
    WordHashes hashes{hunspell, own};
    const char* end = p;
    if (p < last && *p != '\n') {
      end = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(last - p)));
      if (end == nullptr) end = last;
      if (*p != '/' || p == line) {  // any other entry, the thorough way
        hashes = HashWord(HashedWord(Chomp(std::string_view(line, end - line))));
      }
    }
    on_entry(std::string_view(line, end - line), hashes);
    line = end == last ? last : end + 1;
  }
}

// Whether a word list's entries need mending, as MendWordListFully decides it, without a table
// of its words. One pass counts the entries of each bucket of Hunspell's table, and of each
// slot of a second table indexed by the word's own hash: every entry of one word falls in one
// bucket and one slot. Where no slot holds more than kMaxEntriesPerWord entries, no word does;
// where no bucket reaches 255, none passes kMaxEntriesPerBucket. Only when one does (a list
// made to collide, or to repeat a word) does a second pass count the words and buckets
// concerned exactly. Debian's English, French and German lists fill no slot beyond 17 entries
// and no bucket beyond 94.
class EntryCensus {
 public:
  // `bytes`: the size of the list, which bounds its number of lines.
  EntryCensus(long count, std::uint64_t bytes)
      : count_(count),
        table_size_(TableSize(static_cast<std::size_t>(count))),
        // Zeroed by calloc: under a count far above the lines (which Hunspell takes as it is),
        // the pages no bucket of the list falls in are never touched.
        buckets_(static_cast<std::uint8_t*>(std::calloc(table_size_, 1))) {
    // A slot for every 64 bytes of the list: about 5 entries a slot for Debian's lists (11
    // bytes a line), 32 for a list of one-letter words, which still leaves room below 64.
    slot_bits_ = 12;
    while (slot_bits_ < 28 && (std::uint64_t{1} << slot_bits_) < bytes / 64) ++slot_bits_;
    slots_.reset(static_cast<std::uint8_t*>(std::calloc(std::size_t{1} << slot_bits_, 1)));
  }

  bool allocated() const { return buckets_ && slots_; }

  void Count(std::string_view block) {
    ForEachEntryHash(block, [this](std::string_view, const WordHashes& hashes) {
      ++entries_;
      std::uint8_t& bucket = buckets_.get()[hashes.hunspell % table_size_];
      if (bucket < 255) ++bucket;
      full_bucket_ = full_bucket_ || bucket == 255;
      std::uint8_t& slot = slots_.get()[Slot(hashes.own)];
      if (slot < 255) ++slot;
      crowded_slot_ = crowded_slot_ || slot > kMaxEntriesPerWord;
    });
  }

  std::uint64_t entries() const { return entries_; }

  // After Count has seen every block: whether the entries need mending, or nothing when only a
  // second pass (Recount over every block again, then NeedsMendingAfterRecount) can tell.
  std::optional<bool> NeedsMending() const {
    // A count far too small is raised (MendWordListFully's rule).
    if (entries_ / 8 > static_cast<std::uint64_t>(count_) + 1005) return true;
    if (full_bucket_ || crowded_slot_) return std::nullopt;
    return false;
  }

  // Counts exactly the words of crowded slots and the entries of full buckets; false to stop
  // once the answer is known.
  bool Recount(std::string_view block) {
    ForEachEntryHash(block, [this](std::string_view line, const WordHashes& hashes) {
      const std::size_t bucket = hashes.hunspell % table_size_;
      if (buckets_.get()[bucket] == 255 && ++bucket_entries_[bucket] > kMaxEntriesPerBucket) {
        needs_mending_ = true;
      }
      if (slots_.get()[Slot(hashes.own)] > kMaxEntriesPerWord &&
          ++word_entries_[std::string(WordOf(Chomp(line)))] > kMaxEntriesPerWord) {
        needs_mending_ = true;
      }
    });
    return !needs_mending_;
  }

  bool NeedsMendingAfterRecount() const { return needs_mending_; }

 private:
  std::size_t Slot(std::uint64_t own_hash) const {
    return static_cast<std::size_t>((own_hash * 0x9E3779B97F4A7C15ull) >> (64 - slot_bits_));
  }

  long count_;
  std::size_t table_size_;
  std::unique_ptr<std::uint8_t, MemoryFreer> buckets_;  // entries per bucket, up to 255
  int slot_bits_;
  std::unique_ptr<std::uint8_t, MemoryFreer> slots_;  // entries per slot, up to 255
  std::uint64_t entries_ = 0;
  bool full_bucket_ = false;
  bool crowded_slot_ = false;
  std::unordered_map<std::size_t, std::size_t> bucket_entries_;  // of the full buckets
  std::unordered_map<std::string, std::size_t> word_entries_;    // of the crowded slots' words
  bool needs_mending_ = false;
};

// The count line and the entries after it, of a list held in memory.
std::optional<long> CountAndEntries(std::string_view contents, std::string_view& body) {
  const std::size_t end = contents.find('\n');
  body = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
  return WordCount(Chomp(contents.substr(0, end)));
}

// What MendWordList decides for a list in memory (a std::string, whose terminating NUL follows
// the last line): mending, no mending, or nothing when the count is one Hunspell rejects.
std::optional<bool> NeedsMending(const std::string& contents, std::uint64_t& entries) {
  entries = 0;
  std::string_view body;
  const std::optional<long> count = CountAndEntries(contents, body);
  if (!count) return std::nullopt;
  EntryCensus census(*count, contents.size());
  if (!census.allocated()) return true;  // the thorough way is never wrong
  census.Count(body);
  entries = census.entries();
  if (const std::optional<bool> known = census.NeedsMending()) return *known;
  census.Recount(body);
  return census.NeedsMendingAfterRecount();
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  const File file(OpenRegularFile(path));
  if (!file) return false;
  // Read straight into a buffer of the file's size (one byte more, so that the first read
  // already meets the end): no chunk copied, no buffer regrown. A file that grows meanwhile,
  // or whose size is not told, still reads whole.
  contents.resize(FileSize(file.get()) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == contents.size()) contents.resize(2 * used + (1 << 16));
    const std::size_t wanted = contents.size() - used;
    const std::size_t got = std::fread(contents.data() + used, 1, wanted, file.get());
    used += got;
    if (got < wanted) break;  // the end, or an error
  }
  contents.resize(used);
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
  const File file(OpenRegularFile(word_list_path));
  if (!file) return std::nullopt;
  size->bytes = FileSize(file.get());
  // The count line comes first, whole, in the first block.
  std::optional<long> count;
  std::optional<EntryCensus> census;
  bool allocated = true;
  const auto count_entries = [&](std::string_view block) {
    if (!census) {
      const std::size_t end = block.find('\n');
      count = WordCount(Chomp(block.substr(0, end)));
      if (!count) return false;  // Hunspell loads no word at all
      census.emplace(*count, size->bytes);
      allocated = census->allocated();
      if (!allocated) return false;
      block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
    }
    census->Count(block);
    return true;
  };
  if (!ForEachBlockOfLines(file.get(), count_entries) || !count) return std::nullopt;
  std::optional<bool> needs_mending = allocated ? census->NeedsMending() : true;
  size->entries = census->entries();
  if (!needs_mending) {
    bool first = true;
    const auto recount = [&](std::string_view block) {
      if (first) {
        first = false;
        const std::size_t end = block.find('\n');
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
      }
      return census->Recount(block);
    };
    if (std::fseek(file.get(), 0, SEEK_SET) != 0 || !ForEachBlockOfLines(file.get(), recount)) {
      return std::nullopt;  // a read error, as on a first read: the file goes as it is
    }
    needs_mending = census->NeedsMendingAfterRecount();
  }
  if (!*needs_mending) return std::nullopt;
  std::string contents;
  if (!ReadWholeFile(word_list_path, contents)) return std::nullopt;
  return MendWordListFully(contents, size);
}

std::optional<std::string> MendWordList(const std::string& contents, WordListSize* size) {
  WordListSize ignored;
  if (size == nullptr) size = &ignored;
  *size = {};
  size->bytes = contents.size();
  const std::optional<bool> needs_mending = NeedsMending(contents, size->entries);
  if (!needs_mending || !*needs_mending) return std::nullopt;
  return MendWordListFully(contents, size);
}

bool WordListNeedsMending(const std::string& contents) {
  std::uint64_t entries = 0;
  return NeedsMending(contents, entries).value_or(false);
}

std::optional<std::string> MendWordListFully(std::string_view contents, WordListSize* size) {
  WordListSize ignored;
  if (size == nullptr) size = &ignored;
  *size = {};
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
  const std::size_t table_size =
      TableSize(count_far_too_small ? new_count : static_cast<std::size_t>(*count));
  std::vector<std::uint32_t> bucket_sizes(table_size);
  std::size_t bucket_dropped = 0;
  for (std::string_view& line : kept) {
    if (++bucket_sizes[HunspellHash(HashedWord(Chomp(line))) % table_size] > kMaxEntriesPerBucket) {
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
