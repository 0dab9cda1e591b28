#include <cwctype>

#include "platform/char_class.h"

namespace spellshell {

// The C runtime answers units below 256 from its fixed table and the rest from the system's
// Unicode character types (GetStringTypeW, CT_CTYPE1).
CharClass ClassifyNonAscii(WCHAR c) {
  const auto unit = static_cast<wint_t>(c);
  if (iswalpha(unit)) return CharClass::kLetter;
  if (iswpunct(unit)) return CharClass::kPunctuation;
  if (iswspace(unit)) return CharClass::kSpace;
  return CharClass::kOther;
}

}  // namespace spellshell
