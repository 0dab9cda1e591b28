#include "fake_com_object.h"

#include "fake_com_system.h"

namespace spellshell::fakes {

std::string InterfaceName(REFIID riid) {
  if (riid == kUnknownInterface) return "IUnknown";
  if (riid == kSpellCheckerInterface) return "ISpellChecker";
  if (riid == kSpellCheckerFactoryInterface) return "ISpellCheckerFactory";
  if (riid == kGlobalInterfaceTableInterface) return "IGlobalInterfaceTable";
  if (riid == kEnumStringInterface) return "IEnumString";
  if (riid == kEnumSpellingErrorInterface) return "IEnumSpellingError";
  if (riid == kSpellingErrorInterface) return "ISpellingError";
  return "other";
}

FakeObject::FakeObject(FakeComSystem& system, std::string name, bool free_threaded)
    : system_(system), name_(std::move(name)), free_threaded_(free_threaded) {}

void FakeObject::Enter(const std::string& call) {
  system_.Record(name_ + "." + call);
  CheckApartment(call.substr(0, call.find(' ')).c_str());
}

void FakeObject::CheckApartment(const char* method) {
  std::lock_guard lock(system_.mutex());
  if (references_ <= 0 && !process_wide_) {
    system_.ReportProblem(name_ + "." + method + " after its last Release");
  }
  if (free_threaded_) return;
  if (std::this_thread::get_id() != apartment_) {
    system_.ReportProblem(name_ + "." + method + " from outside its apartment");
  } else if (!system_.ComInitialized(apartment_)) {
    system_.ReportProblem(name_ + "." + method + " after its apartment uninitialised COM");
  }
}

ULONG FakeObject::CountAddRef() {
  std::lock_guard lock(system_.mutex());
  return static_cast<ULONG>(++references_);
}

ULONG FakeObject::CountRelease() {
  std::lock_guard lock(system_.mutex());
  if (references_ <= 0) {
    system_.ReportProblem(name_ + " released once too often");
    return 0;
  }
  if (--references_ == 0) system_.Record(name_ + " freed");
  return static_cast<ULONG>(references_);
}

}  // namespace spellshell::fakes
