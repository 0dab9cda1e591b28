// An in-process COM "system" for tests on machines without COM: per-thread apartments, a class
// registry with the spell checker factory and the global interface table, the task allocator,
// and a spell checking service over a small word list whose results a test can script.
//
// It installs itself behind the COM library calls for its lifetime. It logs every call made to
// it, in order, and keeps a list of every breach of COM's rules it sees (references left over or
// released once too often, calls from the wrong thread, unbalanced CoInitializeEx, strings never
// given back to CoTaskMemFree), so a test can prove both the order of the calls and that
// everything was handed back exactly once.
//
// Threads: any thread may call in; the script is read under the system's lock, but a test
// changes it only while no other thread uses the system.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/posix/com_system.h"

namespace spellshell::fakes {

class FakeGlobalInterfaceTable;
class FakeObject;

// What the fake service answers. The defaults make everything succeed.
struct FakeComScript {
  // Results for the next CoInitializeEx calls, on whichever thread makes them; once it runs
  // empty, calls succeed as on Windows (S_OK first on a thread, S_FALSE when nested).
  std::deque<HRESULT> initialize_results;
  bool factory_class_registered = true;
  bool table_class_registered = true;

  std::vector<std::u16string> languages = {u"en-US", u"fr-FR", u"pt-BR"};
  HRESULT supported_languages_result = S_OK;
  HRESULT is_supported_result = S_OK;
  HRESULT create_checker_result = S_OK;
  HRESULT query_unknown_result = S_OK;  // QueryInterface of a checker for IUnknown
  HRESULT register_result = S_OK;
  bool register_gives_cookie_zero = false;
  HRESULT lookup_result = S_OK;  // GetInterfaceFromGlobal
  HRESULT check_result = S_OK;
  HRESULT suggest_result = S_OK;  // failures only; S_FALSE comes from correct words
  // Every enumeration's Next fails with E_FAIL after handing out this many items.
  std::optional<std::size_t> enumerations_fail_after;

  // The service's word list, across languages; a checker's Add extends it. Check reports
  // every run of letters that is not in it, unless `reported_errors` dictates the answer.
  std::set<std::u16string> words = {u"hello", u"world", u"is", u"a", u"word"};
  std::optional<std::vector<std::pair<ULONG, ULONG>>> reported_errors;  // start, length
  // Suggestions for misspelled words; words in the list get S_FALSE instead.
  std::map<std::u16string, std::vector<std::u16string>> suggestions;
};

class FakeComSystem final : public ComSystem {
 public:
  FakeComSystem();
  ~FakeComSystem() override;
  FakeComSystem(const FakeComSystem&) = delete;
  FakeComSystem& operator=(const FakeComSystem&) = delete;

  FakeComScript script;

  // Every call so far, "<object>.<method> <argument>", plus "<object> freed" when an object's
  // last reference goes. Calls from a thread other than the one that made the system are
  // prefixed "worker: ".
  std::vector<std::string> Calls() const;
  void ClearCalls();
  // Every breach of COM's rules seen so far, and every reference, apartment, registration or
  // string still outstanding. Empty when everything was given back exactly once.
  std::vector<std::string> Problems() const;

  // ComSystem
  HRESULT Initialize(LPVOID reserved, DWORD co_init) override;
  void Uninitialize() override;
  HRESULT CreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object) override;
  LPVOID TaskMemAlloc(std::size_t size) override;
  void TaskMemFree(LPVOID block) override;

  // For the fake objects.
  std::recursive_mutex& mutex() const { return mutex_; }
  void Record(const std::string& call);
  void ReportProblem(const std::string& problem);
  bool ComInitialized(std::thread::id thread) const;
  // A new object with one reference, owned by the system; named "<kind><n>".
  template <typename T, typename... Args>
  T* Make(const std::string& kind, Args&&... args) {
    std::lock_guard lock(mutex_);
    auto object = std::make_unique<T>(*this, kind + std::to_string(++made_[kind]),
                                      std::forward<Args>(args)...);
    T* raw = object.get();
    objects_.push_back(std::move(object));
    return raw;
  }
  // A copy of `text` from the task allocator, as the service hands strings out.
  LPWSTR AllocateString(const std::u16string& text);

 private:
  struct Apartment {
    int depth = 0;
    DWORD mode = 0;
  };

  mutable std::recursive_mutex mutex_;
  const std::thread::id main_thread_ = std::this_thread::get_id();
  std::vector<std::string> calls_;
  std::vector<std::string> problems_;
  std::vector<std::unique_ptr<FakeObject>> objects_;
  std::map<std::string, int> made_;
  std::map<std::thread::id, Apartment> apartments_;
  std::set<LPVOID> task_blocks_;
  FakeGlobalInterfaceTable* table_ = nullptr;
};

// The UTF-8 form of a fake's UTF-16 text, for logs.
std::string LogText(const std::u16string& text);

}  // namespace spellshell::fakes
