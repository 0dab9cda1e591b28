#include <cstdlib>
#include <string>

#include "platform/environment.h"

namespace spellshell {

void SetProcessEnvironmentVariable(const char* name, const char* value) { _putenv_s(name, value); }

// The C runtime removes a variable given an empty assignment.
void RemoveProcessEnvironmentVariable(const char* name) {
  const std::string assignment = std::string(name) + "=";
  _putenv(assignment.c_str());
}

bool HasProcessEnvironmentVariable(const char* name) { return std::getenv(name) != nullptr; }

}  // namespace spellshell
