#include <cstdio>

#include "platform/dictionary_file.h"
#include "platform/regular_file.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {
namespace {

// The absolute path with the "\\?\" prefix ("\\?\UNC\server\share\..." for a network path),
// or the path unchanged when it cannot be made absolute. The prefix is what makes Hunspell's
// Windows reader take the path as UTF-8 and open it with the wide C runtime; it also lifts the
// 260-character limit. Behind the prefix Windows no longer resolves "." and "..", relative
// parts or forward slashes, so GetFullPathNameW does that first.
Utf16String LongPathForm(const Utf16String& path) {
  static constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
  static constexpr wchar_t kUncPrefix[] = L"\\\\?\\UNC\\";
  if (path.empty() || path.compare(0, 4, kLongPrefix) == 0) return path;
  Utf16String full(MAX_PATH, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {  // too small: the answer is the size needed, NUL included
    full.resize(length);
    length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  if (full.compare(0, 4, kLongPrefix) == 0 || full.compare(0, 4, L"\\\\.\\") == 0) return full;
  if (full.compare(0, 2, L"\\\\") == 0) return kUncPrefix + full.substr(2);  // \\server\share
  return kLongPrefix + full;
}

}  // namespace

// The narrow C runtime would read the path in the ANSI code page; OpenRegularFile opens it with
// the wide one, as the UTF-16 text it is, whatever letters the folder names hold. It opens the
// very form that Hunspell gets, so the test and the loading cannot disagree about which file is
// meant; and only a regular file passes (Windows still maps names such as CON to devices).
bool CanOpenDictionaryFile(const std::string& utf8_path) {
  std::FILE* file = OpenRegularFile(HunspellDictionaryPath(utf8_path));
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// Hunspell's Windows build reads a "\\?\"-prefixed path as UTF-8 and opens it through the wide
// C runtime; any other path goes to the narrow fopen and the ANSI code page.
std::string HunspellDictionaryPath(const std::string& utf8_path) {
  return Utf16ToUtf8(LongPathForm(Utf8ToUtf16(utf8_path)));
}

}  // namespace spellshell
