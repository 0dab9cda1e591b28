// A bounded cache of IsMisspelled answers for one Spellchecker, so that the words an editor
// sends again and again (most of running text) are answered without asking Hunspell. It only
// ever returns what Hunspell answered for the same bytes with the same dictionary state: the
// owner clears it whenever an answer can change (SetDictionary, Add, Remove).
//
// 8192 sets of 2 slots of 32 bytes: 512 KiB, allocated on first use, small next to a loaded
// dictionary (en_US takes about 8 MiB). Words longer than 30 bytes are not cached.
// Threads: used only on its owner's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace spellshell {

class WordVerdictCache {
 public:
  enum class Verdict : std::uint8_t { kUnknown, kCorrect, kMisspelled };

  // No allocation, and no copy of the word.
  Verdict Find(std::string_view word) const;
  void Store(std::string_view word, bool misspelled);
  void Clear();

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

  static std::size_t SetOf(std::string_view word);

  std::unique_ptr<Slot[]> slots_;  // kSets * kWays; the most recently stored first in a set
};

}  // namespace spellshell
