#include "spellchecker/backend_selection.h"

#include "platform/environment.h"
#include "spellchecker/hunspell_backend.h"
#include "spellchecker/windows_spell_backend.h"

namespace spellshell {

std::unique_ptr<SpellBackend> CreateSpellBackend() {
  // Constructing the Windows backend is what initialises COM and creates the service's
  // factory, so the tests below can only be made on a live one.
  auto windows = std::make_unique<WindowsSpellBackend>();
  if (!ComInitFailed && windows->HasSpellCheckerFactory() &&
      !HasProcessEnvironmentVariable(kPreferHunspellVariable)) {
    return windows;
  }
  windows.reset();  // balances the COM initialisation before Hunspell takes over
  return std::make_unique<HunspellBackend>();
}

}  // namespace spellshell
