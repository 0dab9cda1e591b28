// The two shell dialogs the script can ask for: the Open-with chooser for a file and the
// Properties view of a file or folder. Each is handed to the desktop and forgotten: nothing it
// reports (no such path, no desktop, a refusal, a cancel) comes back, so neither can fail from
// the caller's point of view.
#pragma once

#include "platform/win_types.h"

namespace spellshell {

// `path` is NUL-terminated UTF-16; the path the desktop gets is the text up to that NUL. The
// calls are synchronous on the calling thread and start no thread of their own.
void ShowOpenWithDialog(const WCHAR* path) noexcept;
void ShowPropertiesDialog(const WCHAR* path) noexcept;

}  // namespace spellshell
