// How dictionary paths, held as UTF-8 like all text in the module, reach the file system and
// Hunspell on each platform.
#pragma once

#include <string>

namespace spellshell {

// Whether the file can be opened for reading (it is opened and closed at once, nothing read).
bool CanOpenDictionaryFile(const std::string& utf8_path);

// The path in the form that Hunspell's file reader of this platform opens as the same file.
std::string HunspellDictionaryPath(const std::string& utf8_path);

}  // namespace spellshell
