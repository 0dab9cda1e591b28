#include "fake_com_system.h"

#include <cstdlib>
#include <cstring>

#include "fake_com_object.h"
#include "fake_global_interface_table.h"
#include "fake_spell_service.h"
#include "spellchecker/text_conversion.h"

namespace spellshell::fakes {

std::string LogText(const std::u16string& text) { return Utf16ToUtf8(text); }

FakeComSystem::FakeComSystem() { SetComSystemForTesting(this); }

FakeComSystem::~FakeComSystem() {
  SetComSystemForTesting(nullptr);
  // Blocks still out were reported by Problems; they came from malloc all the same.
  for (LPVOID block : task_blocks_) std::free(block);
}

std::vector<std::string> FakeComSystem::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void FakeComSystem::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

std::vector<std::string> FakeComSystem::Problems() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> problems = problems_;
  for (const auto& object : objects_) {
    if (object->references() != 0) {
      problems.push_back(object->name() + " still has " + std::to_string(object->references()) +
                         " reference(s)");
    }
  }
  for (const auto& [thread, apartment] : apartments_) {
    if (apartment.depth != 0) {
      problems.push_back("a thread kept COM initialised " + std::to_string(apartment.depth) +
                         " time(s) too many");
    }
  }
  if (!task_blocks_.empty()) {
    problems.push_back(std::to_string(task_blocks_.size()) + " string(s) never given to " +
                       "CoTaskMemFree");
  }
  if (table_ != nullptr) {
    for (std::string& outstanding : table_->Outstanding()) problems.push_back(outstanding);
  }
  return problems;
}

void FakeComSystem::Record(const std::string& call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::this_thread::get_id() == main_thread_ ? call : "worker: " + call);
}

void FakeComSystem::ReportProblem(const std::string& problem) {
  std::lock_guard lock(mutex_);
  problems_.push_back(problem);
}

bool FakeComSystem::ComInitialized(std::thread::id thread) const {
  std::lock_guard lock(mutex_);
  const auto found = apartments_.find(thread);
  return found != apartments_.end() && found->second.depth > 0;
}

HRESULT FakeComSystem::Initialize(LPVOID reserved, DWORD co_init) {
  std::lock_guard lock(mutex_);
  Record("CoInitializeEx");
  if (reserved != nullptr) ReportProblem("CoInitializeEx given a reserved pointer");
  if (co_init != COINIT_APARTMENTTHREADED) ReportProblem("CoInitializeEx for another apartment");
  if (!script.initialize_results.empty()) {
    const HRESULT scripted = script.initialize_results.front();
    script.initialize_results.pop_front();
    if (FAILED(scripted)) return scripted;
  }
  Apartment& apartment = apartments_[std::this_thread::get_id()];
  if (apartment.depth > 0 && apartment.mode != co_init) return RPC_E_CHANGED_MODE;
  apartment.mode = co_init;
  return apartment.depth++ == 0 ? S_OK : S_FALSE;
}

void FakeComSystem::Uninitialize() {
  std::lock_guard lock(mutex_);
  Record("CoUninitialize");
  Apartment& apartment = apartments_[std::this_thread::get_id()];
  if (apartment.depth == 0) {
    ReportProblem("CoUninitialize without a matching CoInitializeEx");
    return;
  }
  --apartment.depth;
}

HRESULT FakeComSystem::CreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                      LPVOID* object) {
  std::lock_guard lock(mutex_);
  const bool factory = clsid == kSpellCheckerFactoryClass;
  const bool table = clsid == kGlobalInterfaceTableClass;
  Record(std::string("CoCreateInstance ") + (factory ? "SpellCheckerFactory"
                                             : table ? "GlobalInterfaceTable"
                                                     : "unknown class"));
  if (outer != nullptr) ReportProblem("CoCreateInstance asked for aggregation");
  if (context != CLSCTX_INPROC_SERVER) ReportProblem("CoCreateInstance outside the process");
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!ComInitialized(std::this_thread::get_id())) return CO_E_NOTINITIALIZED;
  IUnknown* created = nullptr;
  if (factory && script.factory_class_registered) {
    created = Make<FakeSpellCheckerFactory>("factory");
  } else if (table && script.table_class_registered) {
    // One table per process, as on Windows; it outlives its clients' references.
    if (table_ == nullptr) {
      table_ = Make<FakeGlobalInterfaceTable>("table");
      table_->MakeProcessWide();
    } else {
      table_->AddRef();
    }
    created = table_;
  } else {
    return REGDB_E_CLASSNOTREG;
  }
  const HRESULT result = created->QueryInterface(riid, object);
  created->Release();
  return result;
}

LPVOID FakeComSystem::TaskMemAlloc(std::size_t size) {
  std::lock_guard lock(mutex_);
  LPVOID block = std::malloc(size);
  if (block != nullptr) task_blocks_.insert(block);
  return block;
}

void FakeComSystem::TaskMemFree(LPVOID block) {
  std::lock_guard lock(mutex_);
  if (block == nullptr) return;
  if (task_blocks_.erase(block) == 0) {
    ReportProblem("CoTaskMemFree of a block the task allocator did not hand out");
    return;
  }
  std::free(block);
}

LPWSTR FakeComSystem::AllocateString(const std::u16string& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
  auto* copy = static_cast<LPWSTR>(TaskMemAlloc(bytes));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), bytes);
  return copy;
}

}  // namespace spellshell::fakes
