#include "spellchecker/backend_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_com_system.h"
#include "platform/environment.h"
#include "spellchecker/windows_spell_backend.h"

namespace spellshell {
namespace {

using fakes::FakeComSystem;
using Calls = std::vector<std::string>;

std::size_t Count(const Calls& calls, const std::string& call) {
  return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
}

// Each case starts from the environment the Spellchecker constructor would leave, and ends
// with no live Windows backend and every COM reference and initialisation given back.
class BackendSelection : public ::testing::Test {
 protected:
  void TearDown() override {
    RemoveProcessEnvironmentVariable(kPreferHunspellVariable);
    EXPECT_EQ(BackendComUsers, 0);
  }
  static void PreferHunspell(bool prefer) {
    if (prefer) {
      SetProcessEnvironmentVariable(kPreferHunspellVariable, "true");
    } else {
      RemoveProcessEnvironmentVariable(kPreferHunspellVariable);
    }
  }
};

TEST_F(BackendSelection, ServicePresentAndNoPreferenceGivesTheWindowsBackend) {
  FakeComSystem com;
  PreferHunspell(false);
  auto backend = CreateSpellBackend();
  ASSERT_NE(backend, nullptr);
  EXPECT_FALSE(backend->IsHunspell());
  EXPECT_EQ(BackendComUsers, 1);
  backend.reset();
  EXPECT_EQ(com.Problems(), Calls());
}

TEST_F(BackendSelection, ThePreferenceAnyValueGivesHunspellAndBalancesCom) {
  for (const char* value : {"true", "", "0", "false"}) {
    SCOPED_TRACE(value);
    FakeComSystem com;
    SetProcessEnvironmentVariable(kPreferHunspellVariable, value);
    auto backend = CreateSpellBackend();
    EXPECT_TRUE(backend->IsHunspell());
    EXPECT_EQ(BackendComUsers, 0);
    const Calls calls = com.Calls();
    EXPECT_EQ(Count(calls, "CoInitializeEx"), 1u);
    EXPECT_EQ(Count(calls, "CoUninitialize"), 1u);
    EXPECT_EQ(com.Problems(), Calls());
  }
}

TEST_F(BackendSelection, AFailedComInitialisationGivesHunspellWithoutUninitialising) {
  FakeComSystem com;
  com.script.initialize_results.push_back(static_cast<HRESULT>(0x80010106));  // changed mode
  PreferHunspell(false);
  auto backend = CreateSpellBackend();
  EXPECT_TRUE(backend->IsHunspell());
  EXPECT_TRUE(ComInitFailed);
  EXPECT_EQ(Count(com.Calls(), "CoUninitialize"), 0u);
  EXPECT_EQ(com.Problems(), Calls());
}

TEST_F(BackendSelection, NoSpellCheckingServiceGivesHunspell) {
  FakeComSystem com;
  com.script.factory_class_registered = false;
  PreferHunspell(false);
  EXPECT_TRUE(CreateSpellBackend()->IsHunspell());
  EXPECT_EQ(Count(com.Calls(), "CoUninitialize"), 1u);
  EXPECT_EQ(com.Problems(), Calls());
}

TEST_F(BackendSelection, WithoutTheGlobalInterfaceTableTheServiceIsStillChosen) {
  FakeComSystem com;
  com.script.table_class_registered = false;
  PreferHunspell(false);
  auto backend = CreateSpellBackend();
  EXPECT_FALSE(backend->IsHunspell());
  EXPECT_FALSE(backend->SetDictionary("en-US", "."));  // nowhere to publish a checker
  backend.reset();
  EXPECT_EQ(com.Problems(), Calls());
}

TEST_F(BackendSelection, ASystemWithoutComGivesHunspell) {
  PreferHunspell(false);
  EXPECT_TRUE(CreateSpellBackend()->IsHunspell());
}

}  // namespace
}  // namespace spellshell
