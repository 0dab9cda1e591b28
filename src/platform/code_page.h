// Code-page conversion between UTF-8 and UTF-16, by the Windows names. On Windows these are the
// system functions; elsewhere code_page_posix.cc provides them with the same contract for the
// one code page the module uses, CP_UTF8:
//   - the source is counted (a negative count means "up to and including the NUL");
//   - the destination is bounded; a destination count of 0 asks for the size needed;
//   - the result is the number of units written, or 0 on failure, including a destination that
//     is too small;
//   - with flags 0, malformed input is not an error: each maximal invalid UTF-8 subsequence and
//     each unpaired surrogate becomes U+FFFD.
#pragma once

#include "platform/win_types.h"

#ifndef _WIN32
#define CP_UTF8 65001u

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCCH source, int source_bytes,
                        LPWSTR destination, int destination_units);
int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWCH source, int source_units,
                        LPSTR destination, int destination_bytes, LPCCH default_char,
                        LPBOOL used_default_char);
#endif
