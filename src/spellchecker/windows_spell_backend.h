// The backend over the operating system's spell checking service, reached through COM: the
// service's factory names the supported languages and makes one checker per language, and the
// checker answers every question about words and texts.
//
// Ownership: owns the factory, at most one checker (for the language last set) and the process's
// global interface table, each as one COM reference released exactly once. The current checker
// is also registered in that table under a cookie, so that a companion made by
// CreateThreadChecker can fetch its own reference to it for use on another thread.
// Threads: construction, every operation and destruction run on one thread, the script thread
// of the environment that made it (the main thread, or a worker's). The first live backend of
// that thread initialised COM there (apartment-threaded) and the last one uninitialises it, so
// a backend must never move to another thread. The only lock is the host mutex around registering,
// revoking and looking up the checker in the table. A companion is created, used and destroyed on
// its own thread and holds its own COM initialisation there. Failures: no COM failure raises; each
// operation gives its empty answer instead. Conversions may throw std::bad_alloc.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/com.h"
#include "platform/com_ptr.h"
#include "platform/host_mutex.h"
#include "spellchecker/spell_backend.h"

namespace spellshell {

// Live WindowsSpellBackend objects on the calling thread. COM belongs to a thread, so each
// thread initialises it when its count goes from 0 to 1 and uninitialises it when the count
// comes back to 0: a worker thread's first backend initialises COM for that worker, whatever
// other threads hold.
extern thread_local std::int32_t BackendComUsers;
// Whether the COM initialisation made on the calling thread when its BackendComUsers last went
// from 0 to 1 failed. Written only then; the backend selection reads it on the same thread.
extern thread_local bool ComInitFailed;

class WindowsSpellBackend final : public SpellBackend {
 public:
  WindowsSpellBackend();
  ~WindowsSpellBackend() override;
  WindowsSpellBackend(const WindowsSpellBackend&) = delete;
  WindowsSpellBackend& operator=(const WindowsSpellBackend&) = delete;

  bool SetDictionary(const std::string& language, const std::string& directory) override;
  std::vector<std::string> GetAvailableDictionaries(const std::string& directory) override;
  std::vector<std::string> GetCorrectionsForMisspelling(const std::string& word) override;
  bool IsMisspelled(const std::string& word) override;
  bool IsHunspell() override;
  std::vector<MisspellingSpan> FindMisspellings(const WCHAR* text, std::uint64_t length) override;
  void Add(const std::string& word) override;
  void Remove(const std::string& word) override;
  // Runs on the thread that wants the companion, not necessarily the owning thread.
  std::unique_ptr<ThreadSpellChecker> CreateThreadChecker() override;

  // False when COM or the service was unavailable at construction; such a backend can never
  // set a dictionary.
  bool HasSpellCheckerFactory() const;

 private:
  void AssertOwningThread() const;

  uv_mutex_t mutex_{};
  bool mutex_initialized_ = false;
  ComPtr<IGlobalInterfaceTable> interface_table_;
  DWORD checker_cookie_ = 0;  // 0: nothing registered
  ComPtr<ISpellChecker> checker_;
  ComPtr<ISpellCheckerFactory> factory_;
  [[maybe_unused]] std::thread::id owning_thread_ = std::this_thread::get_id();
};

}  // namespace spellshell
