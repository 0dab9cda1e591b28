// Fixture dictionaries that the tests write into temporary folders of their own.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "spellchecker/spell_backend.h"

namespace spellshell {
// Readable failure messages for span lists.
inline void PrintTo(const MisspellingSpan& span, std::ostream* os) {
  *os << "(" << span.start << ", " << span.end << ")";
}
}  // namespace spellshell

namespace spellshell::testing {

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // Writes `bytes` to `name` inside the folder and returns the file's path.
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// A small UTF-8 dictionary "xx_TEST": hello, world, colour, don't, dogs, well, known, café,
// naïve, 日本 and 𝒜lpha (a letter outside the BMP).
void WriteUtf8Dictionary(const TempDir& dir, const std::string& language = "xx_TEST");

// The same kind of dictionary in ISO-8859-1 ("SET ISO8859-1"): hello, café, naïve, garçon.
void WriteLatin1Dictionary(const TempDir& dir, const std::string& language = "xx_LATIN");

// The folder of the system's English dictionary (Debian's hunspell-en-us), which the tests
// that need real English use.
std::string SystemDictionaryDir();

}  // namespace spellshell::testing
