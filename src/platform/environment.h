// The process environment, by variable name. Writes change the environment of the whole
// process. The C runtime's environment is not safe to write from two threads at once, and
// script environments on worker threads construct objects concurrently, so every caller that
// writes and then reads a variable holds ProcessEnvironmentLock() for the pair.
#pragma once

#include <mutex>

namespace spellshell {

void SetProcessEnvironmentVariable(const char* name, const char* value);
void RemoveProcessEnvironmentVariable(const char* name);
bool HasProcessEnvironmentVariable(const char* name);

std::mutex& ProcessEnvironmentLock();

}  // namespace spellshell
