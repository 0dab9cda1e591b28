// A bounded cache of IsMisspelled answers for one Spellchecker, so that the words an editor
// sends again and again (most of running text) are answered without asking Hunspell. It only
// ever returns what Hunspell answered for the same bytes with the same dictionary state: the
// owner clears it whenever an answer can change (SetDictionary, Add, Remove).
//
// 8192 sets of 2 slots of 32 bytes: 512 KiB, allocated on first use (or by Allocate), small next
// to a loaded dictionary (en_US takes about 8 MiB). Words longer than 30 bytes are not cached.
// Threads: used only on its owner's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace spellshell {

class WordVerdictCache {
 public:
  enum class Verdict : std::uint8_t { kUnknown, kCorrect, kMisspelled };

  // The word's verdict, and in `slot` where its verdict lives: the word's existing slot, or one
  // made for it now, whose verdict stays unknown until the caller writes it (a slot never
  // written reads as unknown). Making the slot before the answer is known touches the set
  // while it is still in the processor's cache from the lookup; after a long Hunspell call,
  // only a one-byte store remains. `slot` is null for words that are never cached, and valid
  // until the next call on this cache.
  Verdict Lookup(std::string_view word, Verdict*& slot);

  // No allocation, and no copy of the word.
  Verdict Find(std::string_view word) const;
  void Store(std::string_view word, bool misspelled);
  void Clear();
  // Allocates the slots now; true if this call allocated them (kBytes).
  bool Allocate();

  static constexpr std::size_t kMaxWordBytes = 30;

 private:
  struct Slot {
    std::uint8_t length = 0;  // 0: empty (the empty word is never stored)
    Verdict verdict = Verdict::kUnknown;
    char bytes[kMaxWordBytes];
  };
  static_assert(sizeof(Slot) == 32);
  static constexpr std::size_t kSets = 8192;
  static constexpr std::size_t kWays = 2;

  static bool Cacheable(std::string_view word) {
    return !word.empty() && word.size() <= kMaxWordBytes;
  }
  // The first slot of the word's set.
  Slot* SetOf(std::string_view word) const;
  // The slot holding the word in `set`, or null.
  static Slot* Match(Slot* set, std::string_view word);

 public:
  static constexpr std::size_t kBytes = kSets * kWays * sizeof(Slot);

 private:
  std::unique_ptr<Slot[]> slots_;  // kSets * kWays; the most recently stored first in a set
};

}  // namespace spellshell
