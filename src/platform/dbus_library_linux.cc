#include "platform/dbus_library.h"

#include <new>
#include <utility>

namespace spellshell {
namespace {

template <typename Function>
bool Find(const SharedLibrary& library, const char* name, Function& slot) {
  slot = reinterpret_cast<Function>(library.Symbol(name));
  return slot != nullptr;
}

}  // namespace

std::unique_ptr<const DBusLibrary> DBusLibrary::Load(const char* file_name) noexcept {
  SharedLibrary library = SharedLibrary::Open(file_name);
  if (!library) return nullptr;
  std::unique_ptr<DBusLibrary> dbus(new (std::nothrow) DBusLibrary);
  if (!dbus) return nullptr;
#define SPELLSHELL_DBUS_FIND(name) Find(library, "dbus_" #name, dbus->name)&&
  const bool complete = SPELLSHELL_DBUS_FUNCTIONS(SPELLSHELL_DBUS_FIND) true;
#undef SPELLSHELL_DBUS_FIND
  if (!complete) return nullptr;
  dbus->library_ = std::move(library);
  return dbus;
}

const DBusLibrary* DBusLibrary::ForProcess() noexcept {
  // Loaded once: a failed dlopen searches the whole library path again, which is not worth
  // repeating on every dialog of a machine that simply has no libdbus. Never unloaded, not even
  // by static destructors at exit: another host thread may still be inside a dialog then, and
  // libdbus keeps process-wide state (its locks, its per-thread data) in memory that only its
  // own globals point to, which would show up as leaks once the library was gone.
  static const DBusLibrary* const process_library = Load(kFileName).release();
  return process_library;
}

}  // namespace spellshell
