// Classifies single UTF-16 code units for the word scanner as the C runtime's iswalpha,
// iswpunct and iswspace would, tested in that order. ASCII, by far the most common case, is
// answered from a fixed table that agrees with every runtime; other units go to the platform:
// the C runtime on Windows, a fixed C.UTF-8 locale elsewhere so that the host application's
// setlocale never changes the answers. Surrogate halves are classified alone.
#pragma once

#include <array>
#include <cstdint>

#include "platform/win_types.h"

namespace spellshell {

enum class CharClass : std::uint8_t { kOther, kLetter, kPunctuation, kSpace };

CharClass ClassifyNonAscii(WCHAR c);

namespace internal {
constexpr std::array<CharClass, 128> MakeAsciiClasses() {
  std::array<CharClass, 128> table{};
  for (int c = 0; c < 128; ++c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      table[c] = CharClass::kLetter;
    } else if ((c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
               (c >= '{' && c <= '~')) {
      table[c] = CharClass::kPunctuation;
    } else if (c == ' ' || (c >= '\t' && c <= '\r')) {
      table[c] = CharClass::kSpace;
    } else {
      table[c] = CharClass::kOther;  // digits, controls, NUL
    }
  }
  return table;
}
inline constexpr std::array<CharClass, 128> kAsciiClasses = MakeAsciiClasses();
}  // namespace internal

inline CharClass ClassifyChar(WCHAR c) {
  return c < 128 ? internal::kAsciiClasses[c] : ClassifyNonAscii(c);
}

}  // namespace spellshell
