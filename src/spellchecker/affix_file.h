// A look at an affix file before Hunspell loads it, for the contents that Hunspell 1.7 crashes
// or hangs on rather than rejecting:
//   - a table whose header ("REP 3", "SFX A Y 12", ...) announces more lines than the file has
//     left: Hunspell reads past the end of the table it built, and its phonetic suggestions
//     then crash the process (an affix file ending in "PHONE 1" is enough); a huge count makes
//     it reserve gigabytes before reading a single entry;
//   - a PHONE entry with a field missing ("PHONE A"): Hunspell keeps the table it gave up on,
//     without its end marker, and the first suggestion crashes the process;
//   - in a UTF-8 affix file, a TRY or KEY line with a byte from 0xF0 up (the start of a
//     character outside the Basic Multilingual Plane, or of no character at all): Hunspell's
//     UTF-16 conversion gives up on it, and the first suggestion reads far out of bounds;
//   - morphological aliases (an AM table) with a word list whose morphological fields are not
//     all alias numbers: Hunspell dereferences the missing alias while loading;
//   - a NUL byte, which no affix file holds: a REP pattern that starts with one is empty to
//     Hunspell, and suggestions then read before their buffer.
#pragma once

#include <optional>
#include <string>

namespace spellshell {

// Whether Hunspell may be given this affix file together with this word list: a regular file
// with none of the above. The word list is read only when the affix file has aliases. The
// paths are in the form HunspellDictionaryPath gives.
bool IsLoadableAffixFile(const std::string& affix_path, const std::string& word_list_path);

// The affix file without its PHONE tables (header and entry lines), or nothing when it has none.
// Those tables only rank suggestions: without one that IsLoadableAffixFile refuses, the rest of
// the file may still be given to Hunspell and keep its rules.
std::optional<std::string> AffixFileWithoutPhoneTables(const std::string& affix_path);

}  // namespace spellshell
