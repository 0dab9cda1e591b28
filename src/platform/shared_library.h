// A shared library opened while the program runs, and closed again when its holder goes: for
// libraries that only some features need, so that the add-on loads on machines without them.
#pragma once

#include <memory>

namespace spellshell {

class SharedLibrary {
 public:
  // Opens the library by file name, found as the system's loader finds it (a bare soname is
  // searched for, a path is taken as is). An empty holder when it cannot be loaded; the failure
  // is neither reported nor left behind for the host to find (dlerror is cleared).
  static SharedLibrary Open(const char* file_name) noexcept;

  SharedLibrary() = default;

  explicit operator bool() const { return handle_ != nullptr; }
  // The address of an exported function or variable; null when there is none of that name (or
  // no library).
  void* Symbol(const char* name) const noexcept;

 private:
  struct Closer {
    void operator()(void* handle) const noexcept;
  };
  explicit SharedLibrary(void* handle) : handle_(handle) {}

  std::unique_ptr<void, Closer> handle_;
};

}  // namespace spellshell
