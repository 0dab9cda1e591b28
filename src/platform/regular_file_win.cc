#include <sys/stat.h>

#include "platform/regular_file.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {

// Hunspell's form of a path is UTF-8 (behind a "\\?\" prefix as a rule); the wide C runtime
// opens it as the same file.
std::FILE* OpenRegularFile(const std::string& hunspell_path) {
  const Utf16String wide = Utf8ToUtf16(hunspell_path);
  std::FILE* file = _wfopen(wide.c_str(), L"rb");
  if (file == nullptr) return nullptr;
  struct _stat64 status {};
  if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace spellshell
