#include "spellchecker/text_converter.h"

#include "platform/code_page.h"

namespace spellshell {

bool TextConverter::Utf16ToUtf8Buffer(char* buffer, std::int32_t capacity, const WCHAR* text,
                                      std::int32_t units) const {
  // capacity - 1 so that the terminating NUL always fits. A destination count of 0 would ask
  // the system for a size instead of converting, so a 1-byte buffer converts nothing.
  int written = 0;
  if (capacity > 1) {
    written = WideCharToMultiByte(CP_UTF8, 0, text, units, buffer, capacity - 1, nullptr, nullptr);
  }
  buffer[written] = '\0';
  return true;
}

}  // namespace spellshell
