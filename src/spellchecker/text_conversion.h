// Whole-string conversions between the module's UTF-8 text and the UTF-16 text the operating
// system takes. Stateless; callable from any thread. Failures are not reported: they give the
// empty string. Text is taken only up to its first NUL.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace spellshell {

std::string Utf16ToUtf8(const Utf16String& text);
Utf16String Utf8ToUtf16(const std::string& text);

}  // namespace spellshell
