#include <algorithm>

#include "platform/dictionary_file.h"
#include "platform/temporary_file.h"
#include "platform/win_types.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {

std::unique_ptr<TemporaryFile> TemporaryFile::Create(std::string_view contents) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return nullptr;
  // GetTempFileNameW creates the file under a new name, so nothing else is ever written.
  if (GetTempFileNameW(folder, L"ssh", 0, name) == 0) return nullptr;
  std::unique_ptr<TemporaryFile> file(
      new TemporaryFile(HunspellDictionaryPath(Utf16ToUtf8(name))));  // removes it from here on
  const HANDLE handle = CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  bool written = true;
  while (!contents.empty() && written) {
    // At most 1 GiB per call: WriteFile takes a 32-bit size.
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 30));
    DWORD n = 0;
    written = WriteFile(handle, contents.data(), chunk, &n, nullptr) && n > 0;
    if (written) contents.remove_prefix(n);
  }
  written = CloseHandle(handle) && written;
  return written ? std::move(file) : nullptr;
}

TemporaryFile::~TemporaryFile() { DeleteFileW(Utf8ToUtf16(hunspell_path_).c_str()); }

}  // namespace spellshell
