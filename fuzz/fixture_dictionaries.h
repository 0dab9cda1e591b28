// Small Hunspell dictionaries for the fuzzers, written to a private temporary folder. Hunspell
// reads both files when it loads them, so the folder can go as soon as the backends are set up.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace spellshell::fuzzing {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "spellshell-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string str() const { return path_.string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
  }

 private:
  std::filesystem::path path_;
};

// "xx_UTF8": a UTF-8 dictionary with an apostrophe word, accented and CJK words and a letter
// outside the Basic Multilingual Plane.
inline void WriteUtf8Dictionary(const ScratchFolder& folder) {
  folder.Write("xx_UTF8.aff", "SET UTF-8\nTRY esianrtolcdugmfphbyvkw\xC3\xA9'\nWORDCHARS '\n");
  folder.Write("xx_UTF8.dic",
               "9\nhello\nworld\ndon't\ndogs\nwell\nknown\ncaf\xC3\xA9\n\xE6\x97\xA5\xE6\x9C\xAC\n"
               "\xF0\x9D\x92\x9Clpha\n");
}

// "xx_LATIN": the same kind in ISO-8859-1, which the backend reaches through a converter.
inline void WriteLatin1Dictionary(const ScratchFolder& folder) {
  folder.Write("xx_LATIN.aff", "SET ISO8859-1\nTRY esianrtolcdugmfphbyvkw\xE9\xE7\n");
  folder.Write("xx_LATIN.dic", "4\nhello\ncaf\xE9\nna\xEFve\ngar\xE7on\n");
}

}  // namespace spellshell::fuzzing
