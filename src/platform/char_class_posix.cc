#include <clocale>
#include <cwctype>

#include "platform/char_class.h"

namespace spellshell {
namespace {

// Made once and never changed: a locale object independent of the process's current locale.
// glibc has C.UTF-8 built in from 2.35; older systems may only have a named UTF-8 locale.
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr))) return l;
    }
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

}  // namespace

CharClass ClassifyNonAscii(WCHAR c) {
  const locale_t locale = UnicodeLocale();
  if (locale == nullptr) return CharClass::kOther;
  const auto unit = static_cast<wint_t>(c);
  if (iswalpha_l(unit, locale)) return CharClass::kLetter;
  if (iswpunct_l(unit, locale)) return CharClass::kPunctuation;
  if (iswspace_l(unit, locale)) return CharClass::kSpace;
  return CharClass::kOther;
}

}  // namespace spellshell
