#include <cctype>
#include <cstring>

#include "platform/legacy_encoding.h"
#include "platform/win_types.h"

namespace spellshell {
namespace {

// The Windows code page for a Hunspell encoding name, or 0 when there is none.
UINT CodePageFor(const std::string& hunspell_name) {
  const std::string name = AsciiUppercase(hunspell_name);
  if (name.rfind("ISO8859-", 0) == 0 || name.rfind("ISO-8859-", 0) == 0) {
    const int part = std::atoi(name.c_str() + name.rfind('-') + 1);
    return part >= 1 && part <= 15 ? 28590 + part : 0;
  }
  if (name.rfind("MICROSOFT-CP", 0) == 0) return std::atoi(name.c_str() + 12);
  if (name.rfind("CP", 0) == 0) return std::atoi(name.c_str() + 2);
  if (name == "KOI8-R") return 20866;
  if (name == "KOI8-U") return 21866;
  if (name.rfind("TIS620", 0) == 0) return 874;
  if (name == "ISCII-DEVANAGARI") return 57002;
  return 0;
}

class CodePageEncoding final : public LegacyEncoding {
 public:
  explicit CodePageEncoding(UINT code_page) : code_page_(code_page) {}

  bool FromUtf8(std::string_view utf8, std::string& out) override {
    std::wstring wide;
    return Convert(CP_UTF8, utf8, wide) && Narrow(code_page_, wide, out);
  }
  bool ToUtf8(std::string_view legacy, std::string& out) override {
    std::wstring wide;
    return Convert(code_page_, legacy, wide) && Narrow(CP_UTF8, wide, out);
  }

 private:
  static bool Convert(UINT code_page, std::string_view in, std::wstring& out) {
    out.clear();
    if (in.empty()) return true;
    out.resize(in.size());  // never more UTF-16 units than input bytes
    const int n =
        MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                            out.data(), static_cast<int>(out.size()));
    out.resize(n);
    return n > 0;
  }
  static bool Narrow(UINT code_page, const std::wstring& in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    out.resize(in.size() * 4);
    BOOL used_default = FALSE;
    // UTF-8 takes neither flags nor a default-character flag.
    const bool utf8 = code_page == CP_UTF8;
    const int n = WideCharToMultiByte(
        code_page, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()),
        out.data(), static_cast<int>(out.size()), nullptr, utf8 ? nullptr : &used_default);
    out.resize(n);
    return n > 0 && !used_default;
  }

  UINT code_page_;
};

}  // namespace

std::unique_ptr<LegacyEncoding> LegacyEncoding::Open(const std::string& hunspell_name) {
  const UINT code_page = CodePageFor(hunspell_name);
  CPINFO info;
  if (code_page == 0 || !GetCPInfo(code_page, &info)) return nullptr;
  return std::make_unique<CodePageEncoding>(code_page);
}

}  // namespace spellshell
