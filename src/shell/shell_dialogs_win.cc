// The Windows shell shows both dialogs itself; the module only names the path.
#include "shell/shell_dialogs.h"

#include <shlobj.h>

namespace spellshell {

void ShowOpenWithDialog(const WCHAR* path) noexcept {
  OPENASINFO info = {};
  info.pcszFile = path;
  info.pcszClass = nullptr;
  // Open the file with the program the user picks, but never make that program the default for
  // the file type: the application asks about one file, not about the user's settings.
  info.oaifInFlags = static_cast<OPEN_AS_INFO_FLAGS>(OAIF_EXEC | OAIF_HIDE_REGISTRATION);
  // Cancelled, unknown path, no program picked: the caller has no use for any of them.
  static_cast<void>(SHOpenWithDialog(nullptr, &info));
}

void ShowPropertiesDialog(const WCHAR* path) noexcept {
  // The sheet is modeless and owned by the shell; a failure to show it is not reported.
  static_cast<void>(SHObjectProperties(nullptr, SHOP_FILEPATH, path, nullptr));
}

}  // namespace spellshell
