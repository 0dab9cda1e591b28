// Converts counted stretches of UTF-16 into a caller's byte buffer; the Hunspell backend's word
// scanner uses it for every word. Stateless: the object only gives the operation a receiver.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace spellshell {

class TextConverter {
 public:
  // Always returns true and always leaves a NUL-terminated text in `buffer` (capacity >= 1):
  // the converted units, or the empty string when they do not fit in capacity - 1 bytes or
  // cannot be converted.
  bool Utf16ToUtf8Buffer(char* buffer, std::int32_t capacity, const WCHAR* text,
                         std::int32_t units) const;
};

}  // namespace spellshell
