#include <atomic>
#include <cstdlib>

#include "platform/com.h"
#include "platform/posix/com_system.h"

namespace spellshell {
namespace {

// Read by every thread that calls into COM, written only by tests between uses.
std::atomic<ComSystem*> installed_system{nullptr};

ComSystem* Installed() { return installed_system.load(std::memory_order_acquire); }

}  // namespace

LPVOID ComSystem::TaskMemAlloc(std::size_t size) { return std::malloc(size); }

void ComSystem::TaskMemFree(LPVOID block) { std::free(block); }

void SetComSystemForTesting(ComSystem* system) {
  installed_system.store(system, std::memory_order_release);
}

}  // namespace spellshell

using spellshell::Installed;

HRESULT CoInitializeEx(LPVOID reserved, DWORD co_init) {
  if (auto* system = Installed()) return system->Initialize(reserved, co_init);
  return E_NOTIMPL;
}

void CoUninitialize() {
  if (auto* system = Installed()) system->Uninitialize();
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object) {
  if (auto* system = Installed())
    return system->CreateInstance(clsid, outer, context, riid, object);
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return REGDB_E_CLASSNOTREG;
}

LPVOID CoTaskMemAlloc(std::size_t size) {
  if (auto* system = Installed()) return system->TaskMemAlloc(size);
  return std::malloc(size);
}

void CoTaskMemFree(LPVOID block) {
  if (auto* system = Installed()) return system->TaskMemFree(block);
  std::free(block);
}
