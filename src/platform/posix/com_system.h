// The seam through which tests put an in-process COM "system" behind the COM library calls of
// com_types.h. Nothing in the module installs one: without it those calls behave like a system
// that has no COM at all, which is what makes the backend selection fall back to Hunspell.
#pragma once

#include <cstddef>

#include "platform/posix/com_types.h"

namespace spellshell {

// What CoInitializeEx, CoUninitialize, CoCreateInstance and the task allocator forward to.
// Implementations are called from every thread that uses COM and must be thread-safe.
class ComSystem {
 public:
  virtual ~ComSystem() = default;

  virtual HRESULT Initialize(LPVOID reserved, DWORD co_init) = 0;
  virtual void Uninitialize() = 0;
  virtual HRESULT CreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                 LPVOID* object) = 0;
  // The task allocator is plain malloc/free; a system may override both to count blocks. A
  // block must be freed by the system that allocated it, or by none if neither counts.
  virtual LPVOID TaskMemAlloc(std::size_t size);
  virtual void TaskMemFree(LPVOID block);
};

// Installs `system` for the whole process (null restores the COM-less default). The caller
// keeps ownership and must uninstall it before destroying it, with no COM call in flight.
void SetComSystemForTesting(ComSystem* system);

}  // namespace spellshell
