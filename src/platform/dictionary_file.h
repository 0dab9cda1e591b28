// How dictionary paths, held as UTF-8 like all text in the module, reach the file system and
// Hunspell on each platform.
#pragma once

#include <string>

namespace spellshell {

// Whether the file can be opened for reading (it is opened and closed at once, nothing read).
// On POSIX only a regular file counts: Hunspell would wait on a FIFO and read a device without
// end (Windows' fopen refuses a folder by itself).
bool CanOpenDictionaryFile(const std::string& utf8_path);

// The path in the form that Hunspell's file reader of this platform opens as the same file.
std::string HunspellDictionaryPath(const std::string& utf8_path);

}  // namespace spellshell
