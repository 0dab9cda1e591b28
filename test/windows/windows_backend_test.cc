// The Windows backend over real COM (Wine's, or Windows' own), against the fake spell service
// of test/fakes/com_server_win registered under the spell checker factory's class. What the
// Linux suite can only imitate is proven here: CoCreateInstance finds the service, and a second
// thread gets its own reference to the checker through the global interface table.
//
// GoogleTest has no mingw build in Debian, so this file carries its own small harness: each
// TEST runs in order, each failed EXPECT prints its line, and the last line says
// "N passed, N failed"; the exit code is 1 when anything failed.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"
#include "platform/host_mutex.h"
#include "spellchecker/backend_selection.h"
#include "spellchecker/windows_spell_backend.h"

// The add-on takes the host mutex from node.exe; this program is its own host.
extern "C" {
int uv_mutex_init(uv_mutex_t* mutex) {
  InitializeCriticalSection(mutex);
  return 0;
}
void uv_mutex_destroy(uv_mutex_t* mutex) { DeleteCriticalSection(mutex); }
void uv_mutex_lock(uv_mutex_t* mutex) { EnterCriticalSection(mutex); }
void uv_mutex_unlock(uv_mutex_t* mutex) { LeaveCriticalSection(mutex); }
}

namespace {

using spellshell::MisspellingSpan;
using spellshell::ThreadSpellChecker;
using spellshell::WindowsSpellBackend;

struct TestCase {
  const char* name;
  std::function<void()> body;
};
std::vector<TestCase>& Tests() {
  static std::vector<TestCase> tests;
  return tests;
}
int g_failures_in_test = 0;

struct Registrar {
  Registrar(const char* name, std::function<void()> body) { Tests().push_back({name, body}); }
};
#define TEST(name)                                    \
  void name();                                        \
  const Registrar name##_registrar(#name, name);      \
  void name()
#define EXPECT(condition)                                                   \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::printf("  %s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
      ++g_failures_in_test;                                                 \
    }                                                                       \
  } while (false)

std::string Describe(const std::vector<MisspellingSpan>& spans) {
  std::string text = "[";
  for (const MisspellingSpan& span : spans) {
    text.append(" ").append(std::to_string(span.start)).append("-").append(std::to_string(span.end));
  }
  return text + " ]";
}
#define EXPECT_SPANS(actual, ...)                                                      \
  do {                                                                                 \
    const std::vector<MisspellingSpan> expected_spans = __VA_ARGS__;                   \
    const std::vector<MisspellingSpan> actual_spans = (actual);                        \
    if (actual_spans != expected_spans) {                                              \
      std::printf("  %s:%d: spans %s, expected %s\n", __FILE__, __LINE__,              \
                  Describe(actual_spans).c_str(), Describe(expected_spans).c_str());   \
      ++g_failures_in_test;                                                            \
    }                                                                                  \
  } while (false)

// "hello" and "world" are in the service's en-US list, "it's" too; "wrod" and "zzz" are not.
const std::wstring kText = L"hello wrod, world zzz it's";
const std::vector<MisspellingSpan> kTextErrors = {{6, 10}, {18, 21}};

std::vector<MisspellingSpan> FindIn(ThreadSpellChecker& checker, const std::wstring& text) {
  return checker.FindMisspellings(text.data(), text.size());
}

// The calling thread's COM apartment, or "none".
std::string Apartment() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  const HRESULT result = CoGetApartmentType(&type, &qualifier);
  if (result == CO_E_NOTINITIALIZED) return "none";
  if (FAILED(result)) return "error";
  switch (type) {
    case APTTYPE_STA:
    case APTTYPE_MAINSTA:
      return "STA";
    case APTTYPE_MTA:
      return "MTA";
    default:
      return "other";
  }
}

// Runs `body` on a new thread and waits for it.
void OnAnotherThread(const std::function<void()>& body) { std::thread(body).join(); }

long (*g_live_objects)() = nullptr;

TEST(the_selection_takes_the_service_unless_hunspell_is_preferred) {
  spellshell::RemoveProcessEnvironmentVariable(spellshell::kPreferHunspellVariable);
  EXPECT(!spellshell::CreateSpellBackend()->IsHunspell());
  spellshell::SetProcessEnvironmentVariable(spellshell::kPreferHunspellVariable, "true");
  EXPECT(spellshell::CreateSpellBackend()->IsHunspell());
  spellshell::RemoveProcessEnvironmentVariable(spellshell::kPreferHunspellVariable);
  EXPECT(Apartment() == "none");  // the last backend gone, COM is uninitialised again
}

TEST(the_backend_answers_through_real_com) {
  WindowsSpellBackend backend;
  EXPECT(Apartment() == "STA");
  EXPECT(backend.HasSpellCheckerFactory());
  EXPECT((backend.GetAvailableDictionaries("ignored") == std::vector<std::string>{"en-US", "fr-FR"}));
  EXPECT(backend.SetDictionary("fr_FR", ""));
  EXPECT(!backend.IsMisspelled("élève"));
  EXPECT(backend.IsMisspelled("eleve"));
  EXPECT((backend.GetCorrectionsForMisspelling("eleve") == std::vector<std::string>{"élève"}));
  EXPECT(backend.SetDictionary("en_US", ""));
  EXPECT_SPANS(backend.FindMisspellings(kText.data(), kText.size()), kTextErrors);
}

TEST(a_companion_on_another_thread_gets_the_checker_through_the_interface_table) {
  WindowsSpellBackend backend;
  EXPECT(backend.SetDictionary("en-US", ""));
  OnAnotherThread([&] {
    std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
    EXPECT(Apartment() == "STA");  // its own initialisation, on its own thread
    EXPECT_SPANS(FindIn(*companion, kText), kTextErrors);
    EXPECT_SPANS(FindIn(*companion, L"the quick brown fox"), {});
    companion.reset();
    EXPECT(Apartment() == "none");  // and undone with it
  });
  // Words added on the script thread are the service's, so the companion sees them too.
  // (The service keeps added words for the whole process: this word is used nowhere else.)
  backend.Add("spellshell");
  OnAnotherThread([&] {
    std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
    EXPECT_SPANS(FindIn(*companion, L"spellshell zzz"), {{11, 14}});
  });
}

TEST(two_threads_use_their_companions_at_once) {
  WindowsSpellBackend backend;
  EXPECT(backend.SetDictionary("en-US", ""));
  std::vector<std::vector<MisspellingSpan>> results(2);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&backend, &result] {
      std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
      for (int i = 0; i < 200; ++i) result = FindIn(*companion, kText);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_SPANS(results[0], kTextErrors);
  EXPECT_SPANS(results[1], kTextErrors);
}

TEST(without_a_dictionary_a_companion_is_empty_and_leaves_com_alone) {
  WindowsSpellBackend backend;
  OnAnotherThread([&] {
    std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
    EXPECT(Apartment() == "none");
    EXPECT_SPANS(FindIn(*companion, kText), {});
  });
  // A failed SetDictionary revokes the checker it had: later companions find nothing.
  EXPECT(backend.SetDictionary("en-US", ""));
  EXPECT(!backend.SetDictionary("xx-XX", ""));
  OnAnotherThread([&] {
    std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
    EXPECT_SPANS(FindIn(*companion, kText), {});
  });
}

TEST(a_companion_checks_in_the_language_set_when_it_was_made) {
  WindowsSpellBackend backend;
  EXPECT(backend.SetDictionary("fr-FR", ""));
  OnAnotherThread([&] {
    std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
    EXPECT_SPANS(FindIn(*companion, L"bonjour hello"), {{8, 13}});
  });
  EXPECT(backend.SetDictionary("en-US", ""));
  OnAnotherThread([&] {
    std::unique_ptr<ThreadSpellChecker> companion = backend.CreateThreadChecker();
    EXPECT_SPANS(FindIn(*companion, L"bonjour hello"), {{0, 7}});
  });
}

TEST(two_backends_initialise_com_once_and_the_last_one_uninitialises_it) {
  auto first = std::make_unique<WindowsSpellBackend>();
  auto second = std::make_unique<WindowsSpellBackend>();
  EXPECT(spellshell::BackendComUsers == 2);
  EXPECT(second->SetDictionary("en-US", ""));
  first.reset();
  EXPECT(Apartment() == "STA");
  EXPECT(second->IsMisspelled("wrod"));
  second.reset();
  EXPECT(Apartment() == "none");
}

TEST(each_thread_initialises_com_for_its_own_backends_while_another_holds_one) {
  auto main_backend = std::make_unique<WindowsSpellBackend>();
  EXPECT(main_backend->SetDictionary("en-US", ""));
  // Three threads, as three worker environments: each one's first backend initialises COM on
  // that thread and answers through the service; the last one leaves its thread as it found it.
  std::vector<std::thread> threads;
  std::vector<int> answered(3, 0);
  for (int i = 0; i < 3; ++i) {
    threads.emplace_back([&answered, i] {
      {
        WindowsSpellBackend first;
        EXPECT(spellshell::BackendComUsers == 1);
        EXPECT(Apartment() == "STA");
        EXPECT(first.HasSpellCheckerFactory());
        EXPECT(first.SetDictionary(i == 1 ? "fr-FR" : "en-US", ""));
        WindowsSpellBackend second;
        EXPECT(second.SetDictionary("en-US", ""));
        answered[i] = first.IsMisspelled("wrod") + 2 * second.IsMisspelled("hello");
      }
      EXPECT(Apartment() == "none");
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT((answered == std::vector<int>{1, 1, 1}));
  // The threads' CoUninitialize calls were their own: the main thread's apartment is intact.
  EXPECT(Apartment() == "STA");
  EXPECT(main_backend->IsMisspelled("wrod"));
  EXPECT(spellshell::BackendComUsers == 1);
  main_backend.reset();
  EXPECT(Apartment() == "none");
}

TEST(every_reference_handed_out_was_released) {
  // Every backend above is gone: the service holds no object for anyone.
  EXPECT(g_live_objects != nullptr);
  if (g_live_objects != nullptr) EXPECT(g_live_objects() == 0);
}

}  // namespace

int main() {
  // Without the registration, CoCreateInstance would fail and every test would fail with it; say
  // so once instead.
  HMODULE service = LoadLibraryW(L"fake_spell_service.dll");
  if (service == nullptr) {
    std::printf("fake_spell_service.dll not found next to the test\n");
    return 1;
  }
  // Keeps the service loaded (CoUninitialize may unload COM servers) so its count stays
  // readable.
  g_live_objects = reinterpret_cast<long (*)()>(
      reinterpret_cast<void*>(GetProcAddress(service, "FakeSpellServiceLiveObjects")));

  int passed = 0;
  int failed = 0;
  for (const TestCase& test : Tests()) {
    g_failures_in_test = 0;
    test.body();
    std::printf("%s %s\n", g_failures_in_test == 0 ? "ok  " : "FAIL", test.name);
    (g_failures_in_test == 0 ? passed : failed) += 1;
  }
  std::printf("windows_backend_test: %d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}
