#include "spellchecker/word_verdict_cache.h"

#include <cstring>

namespace spellshell {

WordVerdictCache::Slot* WordVerdictCache::SetOf(std::string_view word) const {
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
  return &slots_[(static_cast<std::size_t>(h) & (kSets - 1)) * kWays];
}

WordVerdictCache::Slot* WordVerdictCache::Match(Slot* set, std::string_view word) {
  for (std::size_t way = 0; way < kWays; ++way) {
    Slot& slot = set[way];
    if (slot.length == word.size() && std::memcmp(slot.bytes, word.data(), word.size()) == 0) {
      return &slot;
    }
  }
  return nullptr;
}

WordVerdictCache::Verdict WordVerdictCache::Find(std::string_view word) const {
  if (!slots_ || !Cacheable(word)) return Verdict::kUnknown;
  const Slot* found = Match(SetOf(word), word);
  return found != nullptr ? found->verdict : Verdict::kUnknown;
}

WordVerdictCache::Verdict WordVerdictCache::Lookup(std::string_view word, Verdict*& slot) {
  slot = nullptr;
  if (!Cacheable(word)) return Verdict::kUnknown;
  Allocate();
  Slot* set = SetOf(word);  // hashed once, for the lookup and the new slot alike
  if (Slot* found = Match(set, word)) {
    slot = &found->verdict;
    return found->verdict;
  }
  // The older entry of the set makes room; the newest goes first.
  set[1] = set[0];
  set[0].length = static_cast<std::uint8_t>(word.size());
  set[0].verdict = Verdict::kUnknown;
  std::memcpy(set[0].bytes, word.data(), word.size());
  slot = &set[0].verdict;
  return Verdict::kUnknown;
}

void WordVerdictCache::Store(std::string_view word, bool misspelled) {
  Verdict* slot = nullptr;
  Lookup(word, slot);
  if (slot != nullptr) *slot = misspelled ? Verdict::kMisspelled : Verdict::kCorrect;
}

bool WordVerdictCache::Allocate() {
  if (slots_) return false;
  slots_ = std::make_unique<Slot[]>(kSets * kWays);
  return true;
}

void WordVerdictCache::Clear() {
  if (slots_) std::memset(static_cast<void*>(slots_.get()), 0, kBytes);
}

}  // namespace spellshell
