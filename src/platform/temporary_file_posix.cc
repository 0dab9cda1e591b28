#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/temporary_file.h"

namespace spellshell {

std::unique_ptr<TemporaryFile> TemporaryFile::Create(std::string_view contents) {
  // mkstemp: a new name, created exclusively with mode 0600, so nothing else is ever written.
  // $TMPDIR first; /tmp when it names no usable folder.
  const char* folder = std::getenv("TMPDIR");
  std::string path;
  int fd = -1;
  for (const char* candidate : {folder, "/tmp"}) {
    if (candidate == nullptr || *candidate == '\0') continue;
    path = std::string(candidate) + "/spellshell-XXXXXX";
    fd = mkstemp(path.data());
    if (fd >= 0) break;
  }
  if (fd < 0) return nullptr;
  std::unique_ptr<TemporaryFile> file(new TemporaryFile(path));  // removes it from here on
  bool written = true;
  while (!contents.empty() && written) {
    const ssize_t n = write(fd, contents.data(), contents.size());
    written = n > 0;
    if (written) contents.remove_prefix(static_cast<std::size_t>(n));
  }
  written = close(fd) == 0 && written;
  return written ? std::move(file) : nullptr;
}

TemporaryFile::~TemporaryFile() { unlink(hunspell_path_.c_str()); }

}  // namespace spellshell
