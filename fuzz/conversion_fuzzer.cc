// The UTF-8/UTF-16 conversions on arbitrary input: the same bytes are read once as UTF-8 and
// once as little-endian UTF-16 code units. Every conversion must stay inside its buffers (the
// destinations are heap blocks of exactly the announced size, so AddressSanitizer sees one byte
// too far), the buffer form must always leave a NUL inside its capacity, malformed input must
// come out as well-formed text, and well-formed input must survive the round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "spellchecker/text_conversion.h"
#include "spellchecker/text_converter.h"

namespace {

using spellshell::Utf16String;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Well-formed UTF-8 by the Unicode standard's table of byte sequences, written out here
// independently of the converter under test.
bool IsWellFormedUtf8(const unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    std::size_t trail = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      trail = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      trail = 2;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      trail = 3;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (n - i - 1 < trail) return false;
    for (std::size_t k = 1; k <= trail; ++k) {
      const unsigned char t = p[i + k];
      if (t < low || t > high) return false;
      low = 0x80;
      high = 0xBF;
    }
    i += trail + 1;
  }
  return true;
}

bool IsWellFormedUtf16(const WCHAR* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] >= 0xD800 && p[i] <= 0xDBFF) {
      if (i + 1 == n || p[i + 1] < 0xDC00 || p[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (p[i] >= 0xDC00 && p[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

template <typename Unit>
std::size_t LengthBeforeNul(const Unit* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n && p[i] != 0) ++i;
  return i;
}

// The system-level calls: the measured size equals what is written, a destination one unit
// short is refused without being overrun, and a destination of exactly the size is filled.
void CheckCodePage(const std::string& bytes, const Utf16String& units) {
  if (!bytes.empty()) {
    const int n = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), n, nullptr, 0);
    Require(needed >= 1 && needed <= n);
    auto exact = std::make_unique<WCHAR[]>(static_cast<std::size_t>(needed));
    Require(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), n, exact.get(), needed) == needed);
    Require(IsWellFormedUtf16(exact.get(), static_cast<std::size_t>(needed)));
    if (needed > 1) {
      auto shorter = std::make_unique<WCHAR[]>(static_cast<std::size_t>(needed - 1));
      Require(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), n, shorter.get(), needed - 1) == 0);
    }
  }
  if (!units.empty()) {
    const int n = static_cast<int>(units.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, units.data(), n, nullptr, 0, nullptr, nullptr);
    Require(needed >= 1 && needed <= 3 * n);
    auto exact = std::make_unique<char[]>(static_cast<std::size_t>(needed));
    Require(WideCharToMultiByte(CP_UTF8, 0, units.data(), n, exact.get(), needed, nullptr,
                                nullptr) == needed);
    Require(IsWellFormedUtf8(reinterpret_cast<unsigned char*>(exact.get()),
                             static_cast<std::size_t>(needed)));
    if (needed > 1) {
      auto shorter = std::make_unique<char[]>(static_cast<std::size_t>(needed - 1));
      Require(WideCharToMultiByte(CP_UTF8, 0, units.data(), n, shorter.get(), needed - 1, nullptr,
                                  nullptr) == 0);
    }
  }
}

// The whole-string conversions: the result ends at the first NUL of the input, is well formed
// whatever the input, and gives the input back when the input was well formed.
void CheckWholeStrings(const std::string& bytes, const Utf16String& units) {
  const Utf16String wide = spellshell::Utf8ToUtf16(bytes);
  Require(wide.find(WCHAR{0}) == Utf16String::npos);
  Require(IsWellFormedUtf16(wide.data(), wide.size()));
  const std::size_t text_bytes = LengthBeforeNul(bytes.data(), bytes.size());
  Require(wide.size() <= text_bytes);
  if (IsWellFormedUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), text_bytes)) {
    Require(spellshell::Utf16ToUtf8(wide) == bytes.substr(0, text_bytes));
  }

  const std::string narrow = spellshell::Utf16ToUtf8(units);
  Require(narrow.find('\0') == std::string::npos);
  Require(IsWellFormedUtf8(reinterpret_cast<const unsigned char*>(narrow.data()), narrow.size()));
  const std::size_t text_units = LengthBeforeNul(units.data(), units.size());
  Require(narrow.size() <= 3 * text_units);
  if (IsWellFormedUtf16(units.data(), text_units)) {
    Require(spellshell::Utf8ToUtf16(narrow) == units.substr(0, text_units));
  }
}

// The buffer form, with a capacity of 1 to 300 bytes taken from the input: it writes nothing
// past the capacity, always leaves a NUL inside it, and holds either the whole conversion of
// the units (NULs and all) or the empty string.
void CheckBuffer(std::size_t capacity, const Utf16String& units) {
  auto buffer = std::make_unique<char[]>(capacity);
  std::memset(buffer.get(), 0x5A, capacity);
  spellshell::TextConverter converter;
  Require(converter.Utf16ToUtf8Buffer(buffer.get(), static_cast<std::int32_t>(capacity),
                                      units.data(), static_cast<std::int32_t>(units.size())));
  Require(std::memchr(buffer.get(), 0, capacity) != nullptr);

  const int n = static_cast<int>(units.size());
  const int needed =
      n == 0 ? 0 : WideCharToMultiByte(CP_UTF8, 0, units.data(), n, nullptr, 0, nullptr, nullptr);
  if (needed > 0 && static_cast<std::size_t>(needed) <= capacity - 1) {
    std::string whole(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, units.data(), n, whole.data(), needed, nullptr, nullptr);
    Require(std::memcmp(buffer.get(), whole.data(), whole.size()) == 0);
    Require(buffer[whole.size()] == '\0');
  } else {
    Require(buffer[0] == '\0');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Utf16String units(size / 2, WCHAR{0});
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<WCHAR>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  CheckCodePage(bytes, units);
  CheckWholeStrings(bytes, units);
  CheckBuffer(size == 0 ? 1 : 1 + data[0] % 300, units);
  return 0;
}
