// The reference counting and call checking shared by every object of the fake COM system.
//
// Objects are owned by their FakeComSystem until the system itself goes, whatever their
// reference count: a reference released once too often is reported as a problem instead of
// touching freed memory. Each object belongs to the apartment (thread) that created it, unless
// it is free-threaded; a call from another thread, or after that thread uninitialised COM, is
// reported too, since on Windows it would reach a dead or foreign apartment.
#pragma once

#include <string>
#include <thread>
#include <utility>

#include "platform/com.h"

namespace spellshell::fakes {

class FakeComSystem;

// The identifiers the fakes answer to, written out here from their published values rather
// than shared with the backend, so that a mistyped identifier there fails the tests.
inline constexpr IID kUnknownInterface = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kSpellCheckerFactoryInterface = {
    0x8E018A9D, 0x2415, 0x4677, {0xBF, 0x08, 0x79, 0x4E, 0xA6, 0x1F, 0x94, 0xBB}};
inline constexpr IID kSpellCheckerInterface = {
    0xB6FD0B71, 0xE2BC, 0x4653, {0x8D, 0x05, 0xF1, 0x97, 0xE4, 0x12, 0x77, 0x0B}};
inline constexpr IID kGlobalInterfaceTableInterface = {
    0x00000146, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kEnumStringInterface = {
    0x00000101, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kEnumSpellingErrorInterface = {
    0x803E3BD4, 0x2828, 0x4410, {0x82, 0x90, 0x41, 0x8D, 0x1D, 0x73, 0xC7, 0x62}};
inline constexpr IID kSpellingErrorInterface = {
    0xB7C82D61, 0xFBE8, 0x4B47, {0x9B, 0x27, 0x6C, 0x0D, 0x2E, 0x0D, 0xE0, 0xA3}};
inline constexpr CLSID kSpellCheckerFactoryClass = {
    0x7AB36653, 0x1796, 0x484B, {0xBD, 0xFA, 0xE7, 0x4F, 0x1D, 0xB7, 0xC1, 0xDC}};
inline constexpr CLSID kGlobalInterfaceTableClass = {
    0x00000323, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// "ISpellChecker" and so on, for the call log; "other" for identifiers the fakes do not know.
std::string InterfaceName(REFIID riid);

template <typename Interface>
constexpr const IID& InterfaceId();
template <>
constexpr const IID& InterfaceId<IEnumString>() {
  return kEnumStringInterface;
}
template <>
constexpr const IID& InterfaceId<IEnumSpellingError>() {
  return kEnumSpellingErrorInterface;
}
template <>
constexpr const IID& InterfaceId<ISpellingError>() {
  return kSpellingErrorInterface;
}
template <>
constexpr const IID& InterfaceId<ISpellChecker>() {
  return kSpellCheckerInterface;
}
template <>
constexpr const IID& InterfaceId<ISpellCheckerFactory>() {
  return kSpellCheckerFactoryInterface;
}
template <>
constexpr const IID& InterfaceId<IGlobalInterfaceTable>() {
  return kGlobalInterfaceTableInterface;
}

class FakeObject {
 public:
  FakeObject(FakeComSystem& system, std::string name, bool free_threaded);
  virtual ~FakeObject() = default;
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;

  const std::string& name() const { return name_; }
  // Outstanding references; 0 once the last one is released.
  long references() const { return references_; }
  // A process-wide object survives having no references (the global interface table).
  void MakeProcessWide() { process_wide_ = true; }

 protected:
  // Every method starts here: logs "<name>.<call>" and checks the calling thread.
  void Enter(const std::string& call);
  void CheckApartment(const char* method);
  ULONG CountAddRef();
  ULONG CountRelease();

  FakeComSystem& system_;

 private:
  const std::string name_;
  const bool free_threaded_;
  const std::thread::id apartment_ = std::this_thread::get_id();
  bool process_wide_ = false;
  long references_ = 1;  // the creator's
};

// IUnknown for a fake implementing one interface.
template <typename Interface>
class FakeComObject : public Interface, public FakeObject {
 public:
  FakeComObject(FakeComSystem& system, std::string name, bool free_threaded = false)
      : FakeObject(system, std::move(name), free_threaded) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    Enter("QueryInterface " + InterfaceName(riid));
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != kUnknownInterface && riid != InterfaceId<Interface>()) return E_NOINTERFACE;
    if (const HRESULT refused = RefuseInterface(riid); FAILED(refused)) return refused;
    *object = static_cast<Interface*>(this);
    CountAddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    CheckApartment("AddRef");
    return CountAddRef();
  }
  ULONG STDMETHODCALLTYPE Release() override {
    CheckApartment("Release");
    return CountRelease();
  }

 protected:
  // A scripted failure of QueryInterface for an identifier this object does support.
  virtual HRESULT RefuseInterface(REFIID) { return S_OK; }
};

}  // namespace spellshell::fakes
