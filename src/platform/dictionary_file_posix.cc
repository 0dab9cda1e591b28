#include <cstdio>

#include "platform/dictionary_file.h"

namespace spellshell {

// POSIX paths are bytes: the UTF-8 path is the path.
bool CanOpenDictionaryFile(const std::string& utf8_path) {
  std::FILE* file = std::fopen(utf8_path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string HunspellDictionaryPath(const std::string& utf8_path) { return utf8_path; }

}  // namespace spellshell
