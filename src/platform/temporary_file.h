// A file of the module's own making that Hunspell reads in place of a dictionary file it would
// choke on (a mended copy), in the system's folder for temporary files.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace spellshell {

class TemporaryFile {
 public:
  // A new file, readable by this user only, holding the contents; null when it cannot be made.
  static std::unique_ptr<TemporaryFile> Create(std::string_view contents);
  ~TemporaryFile();  // removes the file
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // The path, in the form HunspellDictionaryPath gives.
  const std::string& hunspell_path() const { return hunspell_path_; }

 private:
  explicit TemporaryFile(std::string hunspell_path) : hunspell_path_(std::move(hunspell_path)) {}
  std::string hunspell_path_;
};

}  // namespace spellshell
