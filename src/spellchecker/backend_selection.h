// Chooses the backend of a new Spellchecker: the operating system's spell-checking service when
// it works and the environment does not ask for Hunspell, Hunspell dictionaries otherwise.
#pragma once

#include <memory>

#include "spellchecker/spell_backend.h"

namespace spellshell {

// Present with any value at all, it selects Hunspell. Its value is never read.
inline constexpr char kPreferHunspellVariable[] = "SPELLCHECKER_PREFER_HUNSPELL";

// Never returns null. Runs on the script thread; the caller holds ProcessEnvironmentLock()
// when it has just written the variable.
std::unique_ptr<SpellBackend> CreateSpellBackend();

}  // namespace spellshell
