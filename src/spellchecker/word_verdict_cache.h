// A bounded cache of IsMisspelled answers for one Spellchecker, so that the words an editor
// sends again and again (most of running text) are answered without asking Hunspell. It only
// ever returns what Hunspell answered for the same bytes with the same dictionary state: the
// owner clears it whenever an answer can change (SetDictionary, Add, Remove).
//
// 8192 sets of 2 slots of 32 bytes: 512 KiB, allocated on first use (or by Allocate), small next
// to a loaded dictionary (en_US takes about 8 MiB). Words longer than 30 bytes are not cached.
// In front of the slots, one tag byte per slot (16 KiB, small enough to stay in the processor's
// nearer caches between Hunspell calls): a word seen for the first time, the case of every word
// an application meets once, is known to be absent from its tags alone, and its slot is then
// only written, never read. Reading a random line of the 512 KiB would cost that word a cache
// miss for nothing.
// A stream of words that never come back (a word list, a service that caches answers itself)
// gains nothing from the cache and pays for it on every word, so the cache watches its own hits:
// after a window of kWindow lookups with fewer than kMinHits hits, the next kBypass lookups
// answer "unknown" at once and keep nothing, then it looks again. Running text hits from its
// first words on (about 9 in 10 words repeat) and never stops looking.
// Threads: used only on its owner's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace spellshell {

class WordVerdictCache {
 public:
  enum class Verdict : std::uint8_t { kUnknown, kCorrect, kMisspelled };

  // Where the answer for a word that was not found goes: the slot chosen for it, or none for
  // words that are never cached.
  struct Miss {
    static constexpr std::size_t kNone = ~std::size_t{0};
    std::size_t index = kNone;
    std::uint8_t tag = 0;
  };

  // The word's verdict; when unknown, `miss` says where Remember puts its answer. A word seen
  // for the first time is known to be absent from the tags alone; its slot is not read but
  // only fetched ahead for writing, so that the line arrives while the caller asks Hunspell,
  // and Remember's stores then find it in the processor's cache. (A store that misses holds up
  // every later store of the thread until its line comes.) `miss` is valid until the next
  // call that changes this cache.
  Verdict Lookup(std::string_view word, Miss& miss);
  // Stores the answer for the word of the Lookup that gave `miss` (nothing for kNone). An
  // answer that never comes (the backend threw) leaves the word unknown.
  void Remember(const Miss& miss, std::string_view word, bool misspelled);

  // No allocation, and no copy of the word.
  Verdict Find(std::string_view word) const;
  void Store(std::string_view word, bool misspelled);
  void Clear();
  // Allocates the slots now; true if this call allocated them (kBytes).
  bool Allocate();
  // Frees the slots and forgets everything; true if there were slots to free (kBytes).
  bool Release();

  static constexpr std::size_t kMaxWordBytes = 30;
  // 64 lookups to judge, at least 4 hits (1 in 16) to keep looking, 1024 lookups skipped:
  // a stream of new words then pays for the cache on 64 of every 1,088 words.
  static constexpr int kWindow = 64;
  static constexpr int kMinHits = 4;
  static constexpr int kBypass = 1024;

 private:
  struct Slot {
    std::uint8_t length = 0;  // meaningful only while the slot's tag is not kEmpty
    Verdict verdict = Verdict::kUnknown;
    char bytes[kMaxWordBytes];
  };
  // A slot's tag: kEmpty, or 7 bits of the word's hash (never 0) plus kNewest on the way of
  // its set that was filled last. Equal tags mean "compare the slot"; different ones, "not
  // this word".
  static constexpr std::uint8_t kEmpty = 0;
  static constexpr std::uint8_t kNewest = 0x80;
  static constexpr std::uint8_t kTagBits = 0x7F;
  static_assert(sizeof(Slot) == 32);
  static constexpr std::size_t kSets = 8192;
  static constexpr std::size_t kWays = 2;

  static bool Cacheable(std::string_view word) {
    return !word.empty() && word.size() <= kMaxWordBytes;
  }
  struct Place {
    std::size_t first;  // index of the set's first slot
    std::uint8_t tag;   // 1..127
  };
  Place PlaceOf(std::string_view word) const;
  // The slot holding the word, or null.
  Slot* Match(Place place, std::string_view word) const;

 public:
  static constexpr std::size_t kBytes = kSets * kWays * (sizeof(Slot) + 1);

 private:
  int looked_up_ = 0;                     // lookups in the current window
  int hits_ = 0;                          // hits in the current window
  int bypass_left_ = 0;                   // lookups still to skip
  std::unique_ptr<Slot[]> slots_;         // kSets * kWays
  std::unique_ptr<std::uint8_t[]> tags_;  // one per slot
};

}  // namespace spellshell
