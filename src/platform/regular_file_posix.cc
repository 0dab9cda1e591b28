#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/regular_file.h"

namespace spellshell {

std::FILE* OpenRegularFile(const std::string& hunspell_path) {
  // Look before opening, so that no device is ever opened; O_NONBLOCK covers a FIFO put in the
  // file's place in between, and fstat has the last word.
  struct stat status {};
  if (stat(hunspell_path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  const int fd = open(hunspell_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "r");
  if (file == nullptr) close(fd);
  return file;
}

}  // namespace spellshell
