#include "spellchecker/text_conversion.h"

#include <gtest/gtest.h>

#include <array>

#include "spellchecker/text_converter.h"

namespace spellshell {
namespace {

TEST(TextConversion, EmptyStaysEmpty) {
  EXPECT_EQ(Utf16ToUtf8(Utf16String()), "");
  EXPECT_EQ(Utf8ToUtf16(std::string()), Utf16String());
}

TEST(TextConversion, TextEndsAtTheFirstNul) {
  EXPECT_EQ(Utf16ToUtf8(Utf16String(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(Utf8ToUtf16(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(Utf8ToUtf16(std::string("\0abc", 4)), Utf16String());
}

TEST(TextConversion, NonAsciiWordsRoundTrip) {
  for (const std::string word :
       {"caf\xC3\xA9", "na\xC3\xAFve", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9D\x92\x9Clpha"}) {
    SCOPED_TRACE(word);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(word)), word);
  }
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9D\x92\x9C"), Utf16String({0xD835, 0xDC9C}));
}

TEST(TextConversion, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf16ToUtf8(Utf16String{u'a', 0xD800}), "a\xEF\xBF\xBD");
}

TEST(TextConverter, BufferTakesAt255BytesAndAlwaysEndsWithNul) {
  TextConverter converter;
  std::array<char, 256> buffer;
  const Utf16String fits(255, u'a');
  buffer.fill('x');
  EXPECT_TRUE(converter.Utf16ToUtf8Buffer(buffer.data(), 256, fits.data(), 255));
  EXPECT_EQ(std::string(buffer.data()), std::string(255, 'a'));

  const Utf16String too_long(256, u'a');
  buffer.fill('x');
  EXPECT_TRUE(converter.Utf16ToUtf8Buffer(buffer.data(), 256, too_long.data(), 256));
  EXPECT_EQ(buffer[0], '\0');

  // 127 two-byte letters and one more byte: 255 bytes fit; one more two-byte letter does not.
  Utf16String mixed(127, u'\u00E9');
  mixed.push_back(u'a');
  EXPECT_TRUE(converter.Utf16ToUtf8Buffer(buffer.data(), 256, mixed.data(), 128));
  EXPECT_EQ(std::string(buffer.data()).size(), 255u);
  mixed.back() = u'\u00E9';
  EXPECT_TRUE(converter.Utf16ToUtf8Buffer(buffer.data(), 256, mixed.data(), 128));
  EXPECT_EQ(buffer[0], '\0');

  buffer.fill('x');
  EXPECT_TRUE(converter.Utf16ToUtf8Buffer(buffer.data(), 256, fits.data(), 0));
  EXPECT_EQ(buffer[0], '\0');
}

}  // namespace
}  // namespace spellshell
