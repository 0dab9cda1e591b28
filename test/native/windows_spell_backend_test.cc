#include "spellchecker/windows_spell_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fakes/fake_com_system.h"

namespace spellshell {
namespace {

using fakes::FakeComScript;
using fakes::FakeComSystem;
using Calls = std::vector<std::string>;
using Spans = std::vector<MisspellingSpan>;
using Strings = std::vector<std::string>;

// Whether `expected` occurs in `calls` in this order, other calls allowed in between.
::testing::AssertionResult InOrder(const Calls& calls, const Calls& expected) {
  auto next = calls.begin();
  for (const std::string& call : expected) {
    next = std::find(next, calls.end(), call);
    if (next == calls.end()) {
      return ::testing::AssertionFailure() << "no \"" << call << "\" in order";
    }
    ++next;
  }
  return ::testing::AssertionSuccess();
}

bool Contains(const Calls& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// For the backend and its companion alike.
template <typename Checker>
Spans Find(Checker& checker, const std::u16string& text) {
  return checker.FindMisspellings(text.data(), text.size());
}

// Every test ends with every reference, registration, string and COM initialisation given
// back exactly once, whatever it did.
class WindowsBackendTest : public ::testing::Test {
 protected:
  void TearDown() override {
    backend_.reset();
    EXPECT_EQ(BackendComUsers, 0);
    EXPECT_EQ(com_.Problems(), Calls());
  }

  WindowsSpellBackend& Start() {
    backend_ = std::make_unique<WindowsSpellBackend>();
    com_.ClearCalls();
    return *backend_;
  }
  WindowsSpellBackend& StartWithDictionary() {
    Start();
    EXPECT_TRUE(backend_->SetDictionary("en-US", "."));
    com_.ClearCalls();
    return *backend_;
  }
  Calls CallsOf(const std::function<void()>& action) {
    com_.ClearCalls();
    action();
    return com_.Calls();
  }
  // Runs `action` on a thread of its own, as a companion's user would.
  static void OnWorker(const std::function<void()>& action) { std::thread(action).join(); }

  FakeComSystem com_;
  std::unique_ptr<WindowsSpellBackend> backend_;
};

using WindowsBackendComBookkeeping = WindowsBackendTest;
using WindowsBackendSetDictionary = WindowsBackendTest;
using WindowsBackendQuestions = WindowsBackendTest;
using WindowsBackendCompanion = WindowsBackendTest;

TEST_F(WindowsBackendComBookkeeping, TwoBackendsInitialiseComOnceAndUninitialiseAtTheLast) {
  auto first = std::make_unique<WindowsSpellBackend>();
  EXPECT_EQ(com_.Calls(), (Calls{"CoInitializeEx", "CoCreateInstance SpellCheckerFactory",
                                 "factory1.QueryInterface ISpellCheckerFactory",
                                 "CoCreateInstance GlobalInterfaceTable",
                                 "table1.QueryInterface IGlobalInterfaceTable"}));
  EXPECT_FALSE(ComInitFailed);
  EXPECT_TRUE(first->HasSpellCheckerFactory());
  EXPECT_FALSE(first->IsHunspell());
  auto second = std::make_unique<WindowsSpellBackend>();
  EXPECT_EQ(BackendComUsers, 2);
  EXPECT_FALSE(Contains(CallsOf([&] { first.reset(); }), "CoUninitialize"));
  EXPECT_EQ(CallsOf([&] { second.reset(); }),
            (Calls{"factory2 freed", "table1 freed", "CoUninitialize"}));
}

TEST_F(WindowsBackendComBookkeeping, FailedInitialisationSetsTheFlagAndCreatesNothing) {
  com_.script.initialize_results = {RPC_E_CHANGED_MODE};
  auto failed = std::make_unique<WindowsSpellBackend>();
  EXPECT_EQ(com_.Calls(), Calls{"CoInitializeEx"});
  EXPECT_TRUE(ComInitFailed);
  EXPECT_FALSE(failed->HasSpellCheckerFactory());
  // A second backend finds the count above 0: no initialisation, the flag keeps its value.
  auto second = std::make_unique<WindowsSpellBackend>();
  EXPECT_TRUE(ComInitFailed);
  EXPECT_EQ(com_.Calls(), (Calls{"CoInitializeEx", "CoCreateInstance SpellCheckerFactory",
                                 "CoCreateInstance GlobalInterfaceTable"}));
  EXPECT_FALSE(second->SetDictionary("en-US", "."));
  EXPECT_TRUE(second->GetAvailableDictionaries(".").empty());
  const Calls calls = CallsOf([&] {
    failed.reset();
    second.reset();
  });
  EXPECT_FALSE(Contains(calls, "CoUninitialize"));
  // The flag is written afresh when the count next leaves 0.
  Start();
  EXPECT_FALSE(ComInitFailed);
}

TEST_F(WindowsBackendComBookkeeping, WithoutTheFactoryClassTheBackendIsUnusableButBalanced) {
  com_.script.factory_class_registered = false;
  WindowsSpellBackend& backend = Start();
  EXPECT_FALSE(ComInitFailed);
  EXPECT_FALSE(backend.HasSpellCheckerFactory());
  EXPECT_EQ(CallsOf([&] {
              EXPECT_FALSE(backend.SetDictionary("en-US", "."));
              EXPECT_TRUE(backend.GetAvailableDictionaries(".").empty());
            }),
            Calls());
  EXPECT_EQ(CallsOf([&] { backend_.reset(); }), (Calls{"table1 freed", "CoUninitialize"}));
}

TEST_F(WindowsBackendComBookkeeping, DestructionRevokesThenReleasesInOrderThenUninitialises) {
  StartWithDictionary();
  EXPECT_EQ(CallsOf([&] { backend_.reset(); }),
            (Calls{"table1.RevokeInterfaceFromGlobal 1", "checker1 freed", "factory1 freed",
                   "table1 freed", "CoUninitialize"}));
}

TEST(WindowsBackendWithoutCom, TheDefaultLayerIsASystemWithoutCom) {
  void* object = &object;
  EXPECT_EQ(CoCreateInstance(CLSID{}, nullptr, CLSCTX_INPROC_SERVER, IID{}, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  {
    WindowsSpellBackend backend;
    EXPECT_TRUE(ComInitFailed);
    EXPECT_FALSE(backend.HasSpellCheckerFactory());
    EXPECT_FALSE(backend.SetDictionary("en-US", "."));
  }
  EXPECT_EQ(BackendComUsers, 0);
}

TEST_F(WindowsBackendSetDictionary, EveryUnderscoreBecomesADash) {
  WindowsSpellBackend& backend = Start();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"en_US", "en-US"}, {"en-US", "en-US"}, {"sr_Latn_RS", "sr-Latn-RS"}, {"_x__", "-x--"}};
  for (const auto& [given, sent] : cases) {
    SCOPED_TRACE(given);
    const std::string& language = given;  // older compilers cannot capture a binding
    const Calls calls = CallsOf([&] { backend.SetDictionary(language, "."); });
    EXPECT_TRUE(Contains(calls, "factory1.IsSupported " + sent));
  }
  EXPECT_TRUE(backend.SetDictionary("pt_BR", "ignored"));
}

TEST_F(WindowsBackendSetDictionary, CreatesAndRegistersTheCheckerInOrder) {
  WindowsSpellBackend& backend = Start();
  bool set = false;
  EXPECT_EQ(CallsOf([&] { set = backend.SetDictionary("en-US", "."); }),
            (Calls{"factory1.IsSupported en-US", "factory1.CreateSpellChecker en-US",
                   "checker1.QueryInterface IUnknown",
                   "table1.RegisterInterfaceInGlobal checker1 ISpellChecker",
                   "checker1.QueryInterface ISpellChecker"}));
  EXPECT_TRUE(set);
}

TEST_F(WindowsBackendSetDictionary, SameTagTwiceRevokesAndReleasesTheFirstCheckerFirst) {
  WindowsSpellBackend& backend = StartWithDictionary();
  bool set = false;
  EXPECT_EQ(
      CallsOf([&] { set = backend.SetDictionary("en-US", "."); }),
      (Calls{"table1.RevokeInterfaceFromGlobal 1", "checker1 freed", "factory1.IsSupported en-US",
             "factory1.CreateSpellChecker en-US", "checker2.QueryInterface IUnknown",
             "table1.RegisterInterfaceInGlobal checker2 ISpellChecker",
             "checker2.QueryInterface ISpellChecker"}));
  EXPECT_TRUE(set);
  EXPECT_TRUE(backend.IsMisspelled("wrod"));
}

TEST_F(WindowsBackendSetDictionary, UnsupportedTagDropsTheOldChecker) {
  WindowsSpellBackend& backend = StartWithDictionary();
  EXPECT_EQ(CallsOf([&] { EXPECT_FALSE(backend.SetDictionary("xx-XX", ".")); }),
            (Calls{"table1.RevokeInterfaceFromGlobal 1", "checker1 freed",
                   "factory1.IsSupported xx-XX"}));
  EXPECT_EQ(CallsOf([&] {
              EXPECT_FALSE(backend.IsMisspelled("wrod"));
              EXPECT_TRUE(backend.GetCorrectionsForMisspelling("wrod").empty());
            }),
            Calls());
}

TEST_F(WindowsBackendSetDictionary, AnyFailureOnTheWayLeavesNoDictionary) {
  const std::vector<std::pair<const char*, std::function<void(FakeComScript&)>>> cases = {
      {"IsSupported fails", [](FakeComScript& s) { s.is_supported_result = E_FAIL; }},
      {"CreateSpellChecker fails",
       [](FakeComScript& s) { s.create_checker_result = E_OUTOFMEMORY; }},
      {"no IUnknown", [](FakeComScript& s) { s.query_unknown_result = E_NOINTERFACE; }},
      {"registration fails", [](FakeComScript& s) { s.register_result = E_OUTOFMEMORY; }},
      {"cookie 0", [](FakeComScript& s) { s.register_gives_cookie_zero = true; }},
      {"no table", [](FakeComScript& s) { s.table_class_registered = false; }},
  };
  for (const auto& [name, script] : cases) {
    SCOPED_TRACE(name);
    com_.script = FakeComScript();
    script(com_.script);
    WindowsSpellBackend& backend = Start();
    EXPECT_FALSE(backend.SetDictionary("en-US", "."));
    EXPECT_EQ(CallsOf([&] { EXPECT_FALSE(backend.IsMisspelled("wrod")); }), Calls());
    // With nothing registered a companion does not even initialise COM.
    OnWorker([&] { EXPECT_TRUE(Find(*backend.CreateThreadChecker(), u"wrod").empty()); });
    EXPECT_EQ(com_.Calls(), Calls());
    backend_.reset();
    EXPECT_EQ(com_.Problems(), Calls());
  }
}

TEST_F(WindowsBackendQuestions, WithoutDictionaryAnswersAreEmptyAndTheServiceIsNotAsked) {
  WindowsSpellBackend& backend = Start();
  EXPECT_EQ(CallsOf([&] {
              EXPECT_FALSE(backend.IsMisspelled("wrod"));
              EXPECT_TRUE(backend.GetCorrectionsForMisspelling("wrod").empty());
              EXPECT_TRUE(Find(backend, u"wrod").empty());
              backend.Add("wrod");
              backend.Remove("wrod");
            }),
            Calls());
}

TEST_F(WindowsBackendQuestions, AvailableDictionariesAreTheServiceTagsUnchanged) {
  com_.script.languages = {u"en-US", u"sr-Latn-RS", u"de_CH", u"x-\u00f1"};
  WindowsSpellBackend& backend = Start();  // no dictionary needed
  const Strings expected = {"en-US", "sr-Latn-RS", "de_CH", "x-\u00f1"};
  EXPECT_EQ(backend.GetAvailableDictionaries("."), expected);
  EXPECT_EQ(backend.GetAvailableDictionaries("/no/such/dir"), expected);
  com_.script.enumerations_fail_after = 2;  // collected strings survive a failing Next
  EXPECT_EQ(backend.GetAvailableDictionaries("."), (Strings{"en-US", "sr-Latn-RS"}));
  com_.script.supported_languages_result = E_FAIL;
  EXPECT_TRUE(backend.GetAvailableDictionaries(".").empty());
}

TEST_F(WindowsBackendQuestions, IsMisspelledWhenTheServiceReportsAnyError) {
  WindowsSpellBackend& backend = StartWithDictionary();
  const std::vector<std::pair<std::string, bool>> cases = {
      {"hello", false}, {"wrod", true},       {"hello wrod wrod", true},
      {"", false},      {"h\u00e9llo", true}, {"a world", false}};
  for (const auto& c : cases) {
    const std::string& word = c.first;
    SCOPED_TRACE(word);
    const Calls calls = CallsOf([&] { EXPECT_EQ(backend.IsMisspelled(word), c.second); });
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "checker1.Check " + word);  // passed as it is, even empty
    // One Next is enough, however many errors there are.
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& c) { return c.ends_with(".Next"); }),
              1);
  }
  com_.script.enumerations_fail_after = 0;
  EXPECT_FALSE(backend.IsMisspelled("wrod"));
  com_.script.check_result = E_FAIL;
  EXPECT_FALSE(backend.IsMisspelled("wrod"));
}

TEST_F(WindowsBackendQuestions, CorrectionsComeInTheServiceOrder) {
  com_.script.suggestions[u"wrod"] = {u"word", u"w\u00f6rd", u"sword"};
  WindowsSpellBackend& backend = StartWithDictionary();
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("wrod"), (Strings{"word", "w\u00f6rd", "sword"}));
  // S_FALSE: the enumeration is released without being read.
  const Calls calls =
      CallsOf([&] { EXPECT_TRUE(backend.GetCorrectionsForMisspelling("hello").empty()); });
  EXPECT_EQ(calls, (Calls{"checker1.Suggest hello", "strings2 freed"}));
  com_.script.enumerations_fail_after = 1;
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("wrod"), Strings{"word"});
  com_.script.suggest_result = E_FAIL;
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("wrod").empty());
}

TEST_F(WindowsBackendQuestions, AddReachesTheServiceAndRemoveDoesNothing) {
  WindowsSpellBackend& backend = StartWithDictionary();
  EXPECT_EQ(CallsOf([&] { backend.Add("wrod"); }), Calls{"checker1.Add wrod"});
  EXPECT_FALSE(backend.IsMisspelled("wrod"));
  EXPECT_EQ(CallsOf([&] { backend.Remove("wrod"); }), Calls());
  EXPECT_FALSE(backend.IsMisspelled("wrod"));
  EXPECT_EQ(CallsOf([&] { backend.Add(""); }), Calls{"checker1.Add "});
}

TEST_F(WindowsBackendQuestions, FindMisspellingsGivesTheRangesAsReported) {
  WindowsSpellBackend& backend = StartWithDictionary();
  EXPECT_EQ(Find(backend, u"hello wrod"), (Spans{{6, 10}}));
  EXPECT_TRUE(Find(backend, u"hello world").empty());
  // Exactly `length` units reach the service, as a text of their own.
  const std::u16string text = u"wrod hello tial";
  EXPECT_TRUE(InOrder(CallsOf([&] { backend.FindMisspellings(text.data(), 10); }),
                      {"checker1.Check wrod hello"}));
  EXPECT_TRUE(backend.FindMisspellings(text.data(), 0).empty());
  // Start and start + length, widened before adding.
  com_.script.reported_errors = {{{7, 2}, {0, 3}, {0xFFFFFFF0u, 0x20}}};
  EXPECT_EQ(Find(backend, u"anything"), (Spans{{7, 9}, {0, 3}, {0xFFFFFFF0u, 0x100000010u}}));
  com_.script.enumerations_fail_after = 1;
  EXPECT_EQ(Find(backend, u"anything"), (Spans{{7, 9}}));
  com_.script.check_result = E_FAIL;
  EXPECT_TRUE(Find(backend, u"anything").empty());
}

TEST_F(WindowsBackendCompanion, MadeAfterSetDictionaryChecksThroughItsOwnReference) {
  WindowsSpellBackend& backend = StartWithDictionary();
  OnWorker([&] {
    auto companion = backend.CreateThreadChecker();
    EXPECT_EQ(Find(*companion, u"Ths is"), (Spans{{0, 3}}));
  });
  EXPECT_TRUE(
      InOrder(com_.Calls(),
              {"worker: CoInitializeEx", "worker: CoCreateInstance GlobalInterfaceTable",
               "worker: table1.GetInterfaceFromGlobal 1 ISpellChecker",
               "worker: proxy1.Check Ths is", "worker: proxy1 freed", "worker: CoUninitialize"}));
  EXPECT_TRUE(backend.IsMisspelled("Ths"));  // the backend's own checker is untouched
}

TEST_F(WindowsBackendCompanion, MadeBeforeSetDictionaryStaysEmptyWithoutCom) {
  WindowsSpellBackend& backend = Start();
  std::promise<void> made, set;
  std::thread worker([&] {
    auto companion = backend.CreateThreadChecker();
    made.set_value();
    set.get_future().wait();
    EXPECT_TRUE(Find(*companion, u"wrod").empty());
  });
  made.get_future().wait();
  EXPECT_TRUE(backend.SetDictionary("en-US", "."));
  com_.ClearCalls();
  set.set_value();
  worker.join();
  EXPECT_EQ(com_.Calls(), Calls());
}

TEST_F(WindowsBackendCompanion, FailureOnItsThreadLeavesItEmptyAndBalanced) {
  const std::vector<std::pair<const char*, std::function<void(FakeComScript&)>>> cases = {
      {"CoInitializeEx fails", [](FakeComScript& s) { s.initialize_results = {E_FAIL}; }},
      {"no table", [](FakeComScript& s) { s.table_class_registered = false; }},
      {"lookup fails", [](FakeComScript& s) { s.lookup_result = E_FAIL; }},
  };
  for (const auto& [name, script] : cases) {
    SCOPED_TRACE(name);
    com_.script = FakeComScript();
    WindowsSpellBackend& backend = StartWithDictionary();
    script(com_.script);
    const Calls calls = CallsOf([&] {
      OnWorker([&] { EXPECT_TRUE(Find(*backend.CreateThreadChecker(), u"wrod").empty()); });
    });
    // COM is undone on the worker exactly when it was done there.
    EXPECT_EQ(Contains(calls, "worker: CoUninitialize"),
              name != std::string("CoInitializeEx fails"));
    backend_.reset();
    EXPECT_EQ(com_.Problems(), Calls());
  }
}

}  // namespace
}  // namespace spellshell
