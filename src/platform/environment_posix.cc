#include <cstdlib>

#include "platform/environment.h"

namespace spellshell {

void SetProcessEnvironmentVariable(const char* name, const char* value) { setenv(name, value, 1); }

// An empty assignment ("NAME=") would leave the variable present with an empty value here;
// only unsetenv removes it.
void RemoveProcessEnvironmentVariable(const char* name) { unsetenv(name); }

bool HasProcessEnvironmentVariable(const char* name) { return std::getenv(name) != nullptr; }

}  // namespace spellshell
