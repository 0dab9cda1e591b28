#include "spellchecker/spell_backend.h"

#include <gtest/gtest.h>

#include "spellchecker/hunspell_backend.h"
#include "test_dictionaries.h"

namespace spellshell {
namespace {

TEST(DefaultCompanion, ReturnsExactlyWhatTheBackendFinds) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", testing::SystemDictionaryDir()));  // real English
  const Utf16String text = u"Ths is a tst of the companoin, don't wory.";
  auto companion = backend.CreateThreadChecker();
  ASSERT_NE(companion, nullptr);
  const auto expected = backend.FindMisspellings(text.data(), text.size());
  EXPECT_EQ(expected.size(), 4u);
  EXPECT_EQ(companion->FindMisspellings(text.data(), text.size()), expected);
  EXPECT_TRUE(companion->FindMisspellings(text.data(), 0).empty());
}

}  // namespace
}  // namespace spellshell
