// Binds the add-on's Node-API and libuv imports to whichever executable hosts it. They are
// delay-loaded imports of a library named "node.exe"; when that library is about to be loaded,
// this hook hands back the main executable instead, so an Electron app or a renamed node.exe
// (which exports the same functions) works without a library of that name anywhere.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first: delayimp.h relies on its types.
#include <delayimp.h>
#include <string.h>

namespace {

FARPROC WINAPI LoadHostModule(unsigned int notification, PDelayLoadInfo info) {
  if (notification == dliNotePreLoadLibrary && info != nullptr && info->szDll != nullptr &&
      _stricmp(info->szDll, "node.exe") == 0) {
    return reinterpret_cast<FARPROC>(GetModuleHandleA(nullptr));
  }
  return nullptr;  // every other notification and library: the standard loading
}

}  // namespace

// The delay-load helper calls this hook for every notification. Microsoft's header declares it
// const, mingw-w64's does not; the definition must match the declaration, which also gives it
// external linkage.
extern "C" {
#ifdef __MINGW32__
PfnDliHook __pfnDliNotifyHook2 = LoadHostModule;
#else
const PfnDliHook __pfnDliNotifyHook2 = LoadHostModule;
#endif
}
