// Forced into Hunspell's csutil.cxx (and only there) for the Windows build with mingw-w64.
//
// Hunspell 1.7.1 reads a dictionary path that starts with "\\?\" as UTF-8 and opens it through
// the wide C runtime (_wfullpath, then std::ifstream::open(const wchar_t*)), so folder names in
// any script work. That branch is compiled only when _MSC_VER is defined, although libstdc++
// for mingw has the same wide open. Without it the path goes to the narrow fopen, which reads
// it in the ANSI code page.
//
// Every system header that csutil.cxx includes is included here first, while _MSC_VER is still
// undefined, so none of them takes its Microsoft-compiler paths; their include guards keep the
// later includes empty. Then _MSC_VER is defined for Hunspell's own code in that file, whose
// only other use of it (htypes.hxx) asks for C++11, which this build has anyway.
#pragma once

#ifndef _WIN32
#error "only for Windows builds"
#endif
#ifdef _MSC_VER
#error "Microsoft's compiler has the branch already"
#endif

#include <assert.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#define _MSC_VER 1900
