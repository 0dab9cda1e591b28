#include "spellchecker/word_verdict_cache.h"

#include <cstring>

namespace spellshell {

std::size_t WordVerdictCache::SetOf(std::string_view word) {
  // A short multiply-xor hash over 8-byte chunks: words are short, and this runs on every call.
  std::uint64_t h = word.size() * 0x9E3779B97F4A7C15ull;
  std::size_t i = 0;
  for (; i + 8 <= word.size(); i += 8) {
    std::uint64_t chunk;
    std::memcpy(&chunk, word.data() + i, 8);
    h = (h ^ chunk) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  if (i < word.size()) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, word.data() + i, word.size() - i);
    h = (h ^ chunk) * 0xC4CEB9FE1A85EC53ull;
  }
  h ^= h >> 29;
  return static_cast<std::size_t>(h) & (kSets - 1);
}

WordVerdictCache::Verdict WordVerdictCache::Find(std::string_view word) const {
  if (!slots_ || word.empty() || word.size() > kMaxWordBytes) return Verdict::kUnknown;
  const Slot* set = &slots_[SetOf(word) * kWays];
  for (std::size_t way = 0; way < kWays; ++way) {
    const Slot& slot = set[way];
    if (slot.length == word.size() && std::memcmp(slot.bytes, word.data(), word.size()) == 0) {
      return slot.verdict;
    }
  }
  return Verdict::kUnknown;
}

void WordVerdictCache::Store(std::string_view word, bool misspelled) {
  if (word.empty() || word.size() > kMaxWordBytes) return;
  if (!slots_) slots_ = std::make_unique<Slot[]>(kSets * kWays);
  Slot* set = &slots_[SetOf(word) * kWays];
  // The older entry of the set makes room; the newest goes first.
  set[1] = set[0];
  set[0].length = static_cast<std::uint8_t>(word.size());
  set[0].verdict = misspelled ? Verdict::kMisspelled : Verdict::kCorrect;
  std::memcpy(set[0].bytes, word.data(), word.size());
}

void WordVerdictCache::Clear() {
  if (slots_) std::memset(static_cast<void*>(slots_.get()), 0, kSets * kWays * sizeof(Slot));
}

}  // namespace spellshell
