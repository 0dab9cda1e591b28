// The Linux dialogs over a libdbus that the caller names. ShowOpenWithDialog and
// ShowPropertiesDialog (shell_dialogs.h) use the process's, DBusLibrary::ForProcess(); the
// tests also pass none, to see what a machine without libdbus gets.
#pragma once

#include "platform/dbus_library.h"
#include "platform/win_types.h"

namespace spellshell {

// With a null `dbus` nothing is asked and nothing is reported, as without a desktop.
void ShowOpenWithDialog(const DBusLibrary* dbus, const WCHAR* path) noexcept;
void ShowPropertiesDialog(const DBusLibrary* dbus, const WCHAR* path) noexcept;

}  // namespace spellshell
