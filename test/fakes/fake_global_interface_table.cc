#include "fake_global_interface_table.h"

#include "fake_com_system.h"
#include "fake_spell_service.h"

namespace spellshell::fakes {
namespace {

std::string NameOf(IUnknown* object) {
  const auto* fake = dynamic_cast<FakeObject*>(object);
  return fake != nullptr ? fake->name() : "a foreign object";
}

}  // namespace

FakeGlobalInterfaceTable::FakeGlobalInterfaceTable(FakeComSystem& system, std::string name)
    : FakeComObject(system, std::move(name), /*free_threaded=*/true) {}

HRESULT FakeGlobalInterfaceTable::RegisterInterfaceInGlobal(IUnknown* object, REFIID riid,
                                                            DWORD* cookie) {
  Enter("RegisterInterfaceInGlobal " + NameOf(object) + " " + InterfaceName(riid));
  std::lock_guard lock(system_.mutex());
  if (object == nullptr || cookie == nullptr) return E_INVALIDARG;
  *cookie = 0;
  const FakeComScript& script = system_.script;
  if (FAILED(script.register_result)) return script.register_result;
  if (script.register_gives_cookie_zero) return S_OK;
  // The table keeps the interface it was asked for, which must exist.
  IUnknown* held = nullptr;
  if (const HRESULT result = object->QueryInterface(riid, reinterpret_cast<void**>(&held));
      FAILED(result)) {
    return result;
  }
  *cookie = next_cookie_++;
  entries_[*cookie] = {held, std::this_thread::get_id()};
  return S_OK;
}

HRESULT FakeGlobalInterfaceTable::RevokeInterfaceFromGlobal(DWORD cookie) {
  Enter("RevokeInterfaceFromGlobal " + std::to_string(cookie));
  std::lock_guard lock(system_.mutex());
  const auto found = entries_.find(cookie);
  if (found == entries_.end()) {
    system_.ReportProblem("revoked cookie " + std::to_string(cookie) + ", which is not registered");
    return E_INVALIDARG;
  }
  IUnknown* held = found->second.object;
  entries_.erase(found);
  held->Release();
  return S_OK;
}

HRESULT FakeGlobalInterfaceTable::GetInterfaceFromGlobal(DWORD cookie, REFIID riid, void** object) {
  Enter("GetInterfaceFromGlobal " + std::to_string(cookie) + " " + InterfaceName(riid));
  std::lock_guard lock(system_.mutex());
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!system_.ComInitialized(std::this_thread::get_id())) return CO_E_NOTINITIALIZED;
  if (FAILED(system_.script.lookup_result)) return system_.script.lookup_result;
  const auto found = entries_.find(cookie);
  if (found == entries_.end()) return E_INVALIDARG;
  if (found->second.apartment == std::this_thread::get_id()) {
    return found->second.object->QueryInterface(riid, object);
  }
  // Another apartment gets a proxy of its own, never the registered object.
  auto* checker = dynamic_cast<FakeSpellChecker*>(found->second.object);
  if (checker == nullptr) return E_NOINTERFACE;
  FakeSpellChecker* proxy = checker->MakeProxy();
  const HRESULT result = proxy->QueryInterface(riid, object);
  proxy->Release();
  return result;
}

std::vector<std::string> FakeGlobalInterfaceTable::Outstanding() const {
  std::lock_guard lock(system_.mutex());
  std::vector<std::string> outstanding;
  for (const auto& [cookie, entry] : entries_) {
    outstanding.push_back("table still holds cookie " + std::to_string(cookie) + " (" +
                          NameOf(entry.object) + ")");
  }
  return outstanding;
}

}  // namespace spellshell::fakes
