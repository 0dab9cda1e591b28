#include <cstdio>

#include "platform/dictionary_file.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {

// The narrow C runtime would read the path in the ANSI code page; the wide one reads it as
// the UTF-16 text it is, whatever letters the folder names hold.
bool CanOpenDictionaryFile(const std::string& utf8_path) {
  const Utf16String wide = Utf8ToUtf16(utf8_path);
  std::FILE* file = _wfopen(wide.c_str(), L"r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// Until the Windows build teaches Hunspell to read UTF-8 paths, it gets the path unchanged.
std::string HunspellDictionaryPath(const std::string& utf8_path) { return utf8_path; }

}  // namespace spellshell
