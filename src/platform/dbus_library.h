// libdbus, reached at run time instead of linked: the add-on then loads, and checks spelling, on
// machines that have no libdbus at all (slim containers, most CI images), and only the desktop
// dialogs need it. Its header gives the functions' types, so every call is still checked by the
// compiler against libdbus's own declarations. Linux only.
#pragma once

#include <dbus/dbus.h>

#include <memory>

#include "platform/shared_library.h"

namespace spellshell {

// The libdbus functions the dialogs use; the members are named after them, without "dbus_".
#define SPELLSHELL_DBUS_FUNCTIONS(X)        \
  X(address_escape_value)                   \
  X(connection_close)                       \
  X(connection_open_private)                \
  X(connection_send_with_reply_and_block)   \
  X(connection_set_exit_on_disconnect)      \
  X(connection_unref)                       \
  X(error_free)                             \
  X(error_init)                             \
  X(free)                                   \
  X(message_iter_abandon_container)         \
  X(message_iter_abandon_container_if_open) \
  X(message_iter_append_basic)              \
  X(message_iter_close_container)           \
  X(message_iter_init_append)               \
  X(message_iter_open_container)            \
  X(message_new_method_call)                \
  X(message_unref)

class DBusLibrary {
 public:
  // The soname of libdbus 1.x, unchanged since 2006.
  static constexpr char kFileName[] = "libdbus-1.so.3";

  // Loads `file_name` and finds every function above in it. Null when the library cannot be
  // loaded or lacks one of them (libdbus before 1.11.16 has no
  // dbus_message_iter_abandon_container_if_open): a libdbus that cannot do everything is not
  // used at all.
  static std::unique_ptr<const DBusLibrary> Load(const char* file_name) noexcept;

  // The process's libdbus (kFileName), loaded the first time any thread asks and kept until the
  // process ends; null, then and on every later call, when it could not be loaded.
  static const DBusLibrary* ForProcess() noexcept;

#define SPELLSHELL_DBUS_MEMBER(name) decltype(&::dbus_##name) name = nullptr;
  SPELLSHELL_DBUS_FUNCTIONS(SPELLSHELL_DBUS_MEMBER)
#undef SPELLSHELL_DBUS_MEMBER

 private:
  DBusLibrary() = default;

  // Owns the functions above: they stay valid while the holder lives.
  SharedLibrary library_;
};

}  // namespace spellshell
