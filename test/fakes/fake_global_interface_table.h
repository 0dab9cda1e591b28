// The process's global interface table: free-threaded, hands out non-zero cookies, holds one
// reference to each registered interface until it is revoked, and gives a thread in another
// apartment its own proxy instead of the registered object itself, as COM marshalling would.
#pragma once

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "fake_com_object.h"

namespace spellshell::fakes {

class FakeGlobalInterfaceTable final : public FakeComObject<IGlobalInterfaceTable> {
 public:
  FakeGlobalInterfaceTable(FakeComSystem& system, std::string name);

  HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* object, REFIID riid,
                                                      DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD cookie, REFIID riid,
                                                   void** object) override;

  // "table still holds cookie N" for every registration never revoked.
  std::vector<std::string> Outstanding() const;

 private:
  struct Entry {
    IUnknown* object;  // one reference, held until revoked
    std::thread::id apartment;
  };
  std::map<DWORD, Entry> entries_;
  DWORD next_cookie_ = 1;
};

}  // namespace spellshell::fakes
