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
  // repeating on every dialog of a machine that simply has no libdbus. Kept loaded, since
  // libdbus keeps process-wide state (its locks, its per-thread data) that must not go away
  // between calls.
  static const std::unique_ptr<const DBusLibrary> process_library = Load(kFileName);
  return process_library.get();
}

}  // namespace spellshell
