#include "platform/code_page.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one scalar value at `p` (< end). Invalid input yields U+FFFD and consumes the maximal
// subpart of an ill-formed sequence, the way Unicode recommends and Windows behaves.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
  const unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  int trail = 0;
  char32_t value = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no encoded surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kReplacement;
  }
  for (int i = 0; i < trail; ++i) {
    if (p == end || *p < low || *p > high) return kReplacement;
    value = (value << 6) | (*p++ & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return value;
}

// Counts a source given as -1 ("NUL-terminated, NUL included") the Windows way.
template <typename Unit>
bool ResolveCount(const Unit* source, int& count) {
  if (source == nullptr || count == 0 || count < -1) return false;
  if (count == -1) {
    count = 0;
    while (source[count] != 0) ++count;
    ++count;
  }
  return true;
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCCH source, int source_bytes,
                        LPWSTR destination, int destination_units) {
  if (code_page != CP_UTF8 || flags != 0 || destination_units < 0) return 0;
  if (!ResolveCount(source, source_bytes)) return 0;
  const bool measure_only = destination_units == 0;
  const auto* p = reinterpret_cast<const unsigned char*>(source);
  const auto* end = p + source_bytes;
  std::int64_t written = 0;
  while (p < end) {
    const char32_t c = DecodeUtf8(p, end);
    const int units = c >= 0x10000 ? 2 : 1;
    if (!measure_only) {
      if (written + units > destination_units) return 0;
      if (units == 2) {
        destination[written] = static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10));
        destination[written + 1] = static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        destination[written] = static_cast<WCHAR>(c);
      }
    }
    written += units;
    if (written > INT32_MAX) return 0;
  }
  return static_cast<int>(written);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWCH source, int source_units,
                        LPSTR destination, int destination_bytes, LPCCH default_char,
                        LPBOOL used_default_char) {
  // Windows refuses a default character or its flag with CP_UTF8.
  if (code_page != CP_UTF8 || flags != 0 || destination_bytes < 0 || default_char != nullptr ||
      used_default_char != nullptr) {
    return 0;
  }
  if (!ResolveCount(source, source_units)) return 0;
  const bool measure_only = destination_bytes == 0;
  std::int64_t written = 0;
  for (int i = 0; i < source_units; ++i) {
    char32_t c = source[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < source_units && source[i + 1] >= 0xDC00 &&
        source[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (source[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    unsigned char bytes[4];
    int n = 0;
    if (c < 0x80) {
      bytes[n++] = static_cast<unsigned char>(c);
    } else if (c < 0x800) {
      bytes[n++] = static_cast<unsigned char>(0xC0 | (c >> 6));
      bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      bytes[n++] = static_cast<unsigned char>(0xE0 | (c >> 12));
      bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else {
      bytes[n++] = static_cast<unsigned char>(0xF0 | (c >> 18));
      bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
      bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    if (!measure_only) {
      if (written + n > destination_bytes) return 0;
      for (int k = 0; k < n; ++k) destination[written + k] = static_cast<char>(bytes[k]);
    }
    written += n;
    if (written > INT32_MAX) return 0;
  }
  return static_cast<int>(written);
}
