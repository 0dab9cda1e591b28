// The code-page layer's contract, as Windows gives it with CP_UTF8 and flags 0: counted source,
// bounded destination, units written or 0 on failure, malformed input replaced by U+FFFD.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace spellshell {
namespace {

Utf16String Decode(const std::string& bytes) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  Utf16String out(static_cast<std::size_t>(n), 0);
  EXPECT_EQ(n, MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                   out.data(), n));
  return out;
}

std::string Encode(const Utf16String& units) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  EXPECT_EQ(n, WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()),
                                   out.data(), n, nullptr, nullptr));
  return out;
}

TEST(CodePage, InvalidUtf8BecomesOneReplacementPerMaximalSubpart) {
  struct Case {
    std::string bytes;
    Utf16String expected;
  };
  const std::vector<Case> cases = {
      {"\x80", u"\uFFFD"},                                // lone continuation byte
      {"a\xC3", u"a\uFFFD"},                              // truncated two-byte form at the end
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF0\x9F\x98x", u"\uFFFDx"},                      // truncated four-byte form, then ASCII
      {"\xE2\x82\xAC\xFF", u"\u20AC\uFFFD"},              // valid euro sign, then an invalid byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(Decode(c.bytes), c.expected);
  }
}

TEST(CodePage, UnpairedSurrogatesBecomeReplacement) {
  EXPECT_EQ(Encode(u"a\xD800"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Encode(Utf16String{0xDC00, u'b'}),
            "\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Encode(Utf16String{0xDC00, 0xD800}), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Encode(u"\U0001D49C"), "\xF0\x9D\x92\x9C");
}

TEST(CodePage, DestinationTooSmallFailsWithZero) {
  const std::string word = "caf\xC3\xA9";  // 4 UTF-16 units, 5 bytes
  WCHAR units[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, word.data(), 5, units, 3), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, word.data(), 5, units, 4), 4);
  char bytes[5];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, units, 4, bytes, 4, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, units, 4, bytes, 5, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(bytes, 5), word);
}

TEST(CodePage, NegativeCountIncludesTheTerminator) {
  WCHAR units[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, units, 8), 3);
  EXPECT_EQ(units[2], 0);
  char bytes[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"xyz", -1, bytes, 8, nullptr, nullptr), 4);
  EXPECT_STREQ(bytes, "xyz");
}

TEST(CodePage, BadParametersFail) {
  WCHAR units[4];
  char bytes[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, units, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, units, 4), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 0, bytes, 4, nullptr, nullptr), 0);
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &used), 0);
}

TEST(CodePage, SeededRandomScalarValuesRoundTrip) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::uint32_t> plane(0, 16);
  std::uniform_int_distribution<std::uint32_t> offset(0, 0xFFFF);
  for (int round = 0; round < 200; ++round) {
    Utf16String text;
    for (int i = 0; i < 64; ++i) {
      std::uint32_t c = (plane(random) < 12 ? 0 : plane(random) << 16) | offset(random);
      if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || c == 0) c = 'a' + i % 26;
      if (c >= 0x10000) {
        text.push_back(static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10)));
        text.push_back(static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        text.push_back(static_cast<WCHAR>(c));
      }
    }
    SCOPED_TRACE(round);
    ASSERT_EQ(Decode(Encode(text)), text);
  }
}

}  // namespace
}  // namespace spellshell
