#include "platform/legacy_encoding.h"

namespace spellshell {

std::string AsciiUppercase(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool IsUtf8EncodingName(std::string_view name) {
  const std::string upper = AsciiUppercase(name);
  return upper == "UTF-8" || upper == "UTF8";
}

}  // namespace spellshell
