// Converts words between UTF-8 and the 8-bit encoding that a Hunspell dictionary declares
// (its affix file's SET line), so that dictionaries in ISO-8859-x, KOI8 or Windows code pages
// see their own bytes and hand back suggestions the script can read.
//
// Ownership and threads: one object per loaded dictionary, used by one thread at a time (the
// converter keeps conversion state between calls on POSIX).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace spellshell {

class LegacyEncoding {
 public:
  // The converter for a Hunspell encoding name such as "ISO8859-1", "KOI8-R" or
  // "microsoft-cp1251", or null when the platform cannot convert it.
  static std::unique_ptr<LegacyEncoding> Open(const std::string& hunspell_name);

  virtual ~LegacyEncoding() = default;

  // Both return false, leaving `out` unspecified, when the input is not valid in its encoding
  // or a character has no form in the other one.
  virtual bool FromUtf8(std::string_view utf8, std::string& out) = 0;
  virtual bool ToUtf8(std::string_view legacy, std::string& out) = 0;
};

// True for the names Hunspell uses for UTF-8 dictionaries, which need no conversion.
bool IsUtf8EncodingName(std::string_view name);

}  // namespace spellshell

namespace spellshell {
// Encoding names compare without regard to ASCII case.
std::string AsciiUppercase(std::string_view name);
}  // namespace spellshell
