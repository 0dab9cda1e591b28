// The handful of Windows base types that the portable code names. On Windows they come from the
// SDK; elsewhere they are declared here with the same names and sizes so that the spell-checking
// logic reads the same on every platform. UTF-16 text is WCHAR: wchar_t on Windows, char16_t
// elsewhere (wchar_t is 32 bits on Linux).
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstdint>

using BOOL = int;
using BYTE = unsigned char;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPCWCH = const WCHAR*;
using LPOLESTR = WCHAR*;
using LPBOOL = BOOL*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#endif

#include <string>

namespace spellshell {
// A counted UTF-16 string in the platform's own code-unit type.
using Utf16String = std::basic_string<WCHAR>;
}  // namespace spellshell
