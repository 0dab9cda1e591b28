#include "spellchecker/word_verdict_cache.h"

#include <cstring>

namespace spellshell {

WordVerdictCache::Place WordVerdictCache::PlaceOf(std::string_view word) const {
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
  // The set from the low bits, the tag from the top seven, so the two are independent.
  const auto tag = static_cast<std::uint8_t>(h >> 57);
  return {(static_cast<std::size_t>(h) & (kSets - 1)) * kWays,
          static_cast<std::uint8_t>(tag == kEmpty ? 1 : tag)};
}

WordVerdictCache::Slot* WordVerdictCache::Match(Place place, std::string_view word) const {
  for (std::size_t way = 0; way < kWays; ++way) {
    const std::size_t index = place.first + way;
    if ((tags_[index] & kTagBits) != place.tag) continue;
    Slot& slot = slots_[index];
    if (slot.length == word.size() && std::memcmp(slot.bytes, word.data(), word.size()) == 0) {
      return &slot;
    }
  }
  return nullptr;
}

WordVerdictCache::Verdict WordVerdictCache::Find(std::string_view word) const {
  if (!slots_ || !Cacheable(word)) return Verdict::kUnknown;
  const Slot* found = Match(PlaceOf(word), word);
  return found != nullptr ? found->verdict : Verdict::kUnknown;
}

WordVerdictCache::Verdict WordVerdictCache::Lookup(std::string_view word, Miss& miss) {
  miss = Miss{};
  if (bypass_left_ > 0) {
    --bypass_left_;
    return Verdict::kUnknown;
  }
  if (!Cacheable(word)) return Verdict::kUnknown;
  Allocate();
  const Place place = PlaceOf(word);  // hashed once, for the lookup and the new slot alike
  const Slot* found = Match(place, word);
  if (found != nullptr) ++hits_;
  if (++looked_up_ == kWindow) {
    if (hits_ < kMinHits) bypass_left_ = kBypass;
    looked_up_ = 0;
    hits_ = 0;
  }
  if (found != nullptr) return found->verdict;
  // The way filled longer ago makes room (an empty one first), chosen from the tags alone.
  const std::uint8_t* tags = &tags_[place.first];
  const std::size_t victim = tags[0] == kEmpty     ? 0
                             : tags[1] == kEmpty   ? 1
                             : (tags[0] & kNewest) ? 1
                                                   : 0;
  miss.index = place.first + victim;
  miss.tag = place.tag;
  __builtin_prefetch(&slots_[miss.index], 1);
  return Verdict::kUnknown;
}

void WordVerdictCache::Remember(const Miss& miss, std::string_view word, bool misspelled) {
  if (miss.index == Miss::kNone) return;
  const std::size_t first = miss.index - miss.index % kWays;
  for (std::size_t way = first; way < first + kWays; ++way) tags_[way] &= kTagBits;
  tags_[miss.index] = static_cast<std::uint8_t>(miss.tag | kNewest);
  Slot& slot = slots_[miss.index];
  slot.length = static_cast<std::uint8_t>(word.size());
  slot.verdict = misspelled ? Verdict::kMisspelled : Verdict::kCorrect;
  std::memcpy(slot.bytes, word.data(), word.size());
}

void WordVerdictCache::Store(std::string_view word, bool misspelled) {
  Miss miss;
  if (Lookup(word, miss) == Verdict::kUnknown) Remember(miss, word, misspelled);
}

bool WordVerdictCache::Allocate() {
  if (slots_) return false;
  // Both touched now, while the dictionary loads, rather than page by page on later calls.
  slots_ = std::make_unique<Slot[]>(kSets * kWays);
  tags_ = std::make_unique<std::uint8_t[]>(kSets * kWays);
  return true;
}

bool WordVerdictCache::Release() {
  Clear();
  if (!slots_) return false;
  slots_.reset();
  tags_.reset();
  return true;
}

void WordVerdictCache::Clear() {
  // The tags say which slots hold anything: 16 KiB to forget everything.
  if (tags_) std::memset(tags_.get(), kEmpty, kSets * kWays);
  looked_up_ = 0;
  hits_ = 0;
  bypass_left_ = 0;
}

}  // namespace spellshell
