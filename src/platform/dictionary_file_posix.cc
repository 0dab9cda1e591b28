#include <cstdio>

#include "platform/dictionary_file.h"
#include "platform/regular_file.h"

namespace spellshell {

// POSIX paths are bytes: the UTF-8 path is the path. A word list must be a regular file: a
// folder would give Hunspell nothing to read, and on a FIFO or a device it would wait or read
// for ever. (Windows' fopen refuses a folder as well.)
bool CanOpenDictionaryFile(const std::string& utf8_path) {
  std::FILE* file = OpenRegularFile(utf8_path);
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string HunspellDictionaryPath(const std::string& utf8_path) { return utf8_path; }

}  // namespace spellshell
