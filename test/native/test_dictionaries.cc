#include "test_dictionaries.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace spellshell::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "spellshell-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& bytes) const {
  const auto file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

void WriteUtf8Dictionary(const TempDir& dir, const std::string& language) {
  dir.Write(language + ".aff", "SET UTF-8\nTRY esianrtolcdugmfphbyvkwé'\nWORDCHARS '\n");
  dir.Write(language + ".dic",
            "11\nhello\nworld\ncolour\ndon't\ndogs\nwell\nknown\ncafé\nnaïve\n日本\n𝒜lpha\n");
}

void WriteLatin1Dictionary(const TempDir& dir, const std::string& language) {
  // \xE9 = é, \xEF = ï, \xE7 = ç in ISO-8859-1.
  dir.Write(language + ".aff", "SET ISO8859-1\nTRY esianrtolcdugmfphbyvkw\xE9\xE7\n");
  dir.Write(language + ".dic", "4\nhello\ncaf\xE9\nna\xEFve\ngar\xE7on\n");
}

std::string SystemDictionaryDir() {
  if (const char* dir = std::getenv("SPELLSHELL_DICTIONARY_DIR")) return dir;
  return "/usr/share/hunspell";
}

}  // namespace spellshell::testing
