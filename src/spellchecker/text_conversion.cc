#include "spellchecker/text_conversion.h"

#include <cstring>

#include "platform/code_page.h"

namespace spellshell {
namespace {

// Counts reach the system as 32-bit signed ints; these are the largest inputs whose worst-case
// scratch sizes (4n + 4 bytes, 2n + 2 units) still fit. Longer texts convert to the empty
// string, as a failed conversion does.
constexpr std::size_t kMaxUtf16Units = 536'870'910;
constexpr std::size_t kMaxUtf8Bytes = 1'073'741'822;

}  // namespace

std::string Utf16ToUtf8(const Utf16String& text) {
  const std::size_t n = text.size();
  if (n == 0 || n > kMaxUtf16Units) return {};
  // One call with a worst-case destination: a UTF-16 unit never needs more than 4 bytes.
  std::string out(4 * n + 4, '\0');
  const int written = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(n), out.data(),
                                          static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(strnlen(out.data(), static_cast<std::size_t>(written)));
  return out;
}

Utf16String Utf8ToUtf16(const std::string& text) {
  const std::size_t n = text.size();
  if (n == 0 || n > kMaxUtf8Bytes) return {};
  const std::size_t source_bytes = strnlen(text.data(), n);
  if (source_bytes == 0) return {};
  // A UTF-8 byte never yields more than one UTF-16 unit.
  Utf16String out(2 * n + 2, WCHAR{0});
  const int written = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(source_bytes),
                                          out.data(), static_cast<int>(out.size()));
  out.resize(static_cast<std::size_t>(written));
  return out;
}

}  // namespace spellshell
