// The one header through which portable code reaches COM and the Windows spell checking
// interfaces: the SDK's own headers on Windows, the stand-in layer under platform/posix
// elsewhere. Both declare the same names with the same method order, so code written against
// this header builds unchanged on either.
#pragma once

#include "platform/win_types.h"

#ifdef _WIN32
#include <objbase.h>
#include <spellcheck.h>
#else
#include "platform/posix/com_types.h"
#endif
