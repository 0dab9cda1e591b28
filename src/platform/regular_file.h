// Opens the files that Hunspell is about to read, for a look at them first. Only regular files
// (or links to one) open: Hunspell would wait forever for a writer on a FIFO and read a device
// such as /dev/zero without end.
#pragma once

#include <cstdio>
#include <string>

namespace spellshell {

// The path is in the form HunspellDictionaryPath gives. Null when the file is missing,
// unreadable or not a regular file; nothing is read and nothing blocks. The caller closes it.
std::FILE* OpenRegularFile(const std::string& hunspell_path);

}  // namespace spellshell
