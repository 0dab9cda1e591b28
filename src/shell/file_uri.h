// The file URI that desktop services on Linux take in place of a path. Byte-oriented: the path
// is UTF-8 as the module holds it, and whatever bytes it has are carried over exactly.
#pragma once

#include <string>

namespace spellshell {

// Returns "file://" followed by the absolute form of `path` with every byte outside A-Z a-z 0-9
// - . _ ~ and "/" percent-encoded (upper-case hex). A relative path is taken against the current
// directory as it is, without resolving symbolic links, "." or ".." and without requiring that
// anything exists: the receiver names what the caller named. Gives the empty string for an
// empty path, and when the current directory is needed but cannot be read (it was removed).
std::string FileUri(const std::string& path);

}  // namespace spellshell
