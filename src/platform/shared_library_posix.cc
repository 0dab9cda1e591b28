#include <dlfcn.h>

#include "platform/shared_library.h"

namespace spellshell {

SharedLibrary SharedLibrary::Open(const char* file_name) noexcept {
  // RTLD_LOCAL: its symbols serve only the lookups made here, never the host's or another
  // add-on's. RTLD_NOW: a library that lacks something it needs fails here, once, and not later
  // in the middle of a call.
  void* handle = dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) dlerror();
  return SharedLibrary(handle);
}

void* SharedLibrary::Symbol(const char* name) const noexcept {
  if (!handle_) return nullptr;
  void* address = dlsym(handle_.get(), name);
  if (address == nullptr) dlerror();
  return address;
}

void SharedLibrary::Closer::operator()(void* handle) const noexcept { dlclose(handle); }

}  // namespace spellshell
