#include <iconv.h>

#include <cctype>
#include <cerrno>

#include "platform/legacy_encoding.h"

namespace spellshell {
namespace {

// Hunspell writes "ISO8859-1" and "microsoft-cp1251"; iconv knows "ISO-8859-1" and "CP1251".
std::string IconvName(const std::string& hunspell_name) {
  std::string name = AsciiUppercase(hunspell_name);
  if (name.rfind("MICROSOFT-", 0) == 0) name.erase(0, 10);
  if (name.rfind("ISO8859", 0) == 0) name = "ISO-" + name.substr(3);
  if (name.rfind("TIS620", 0) == 0) name = "TIS-620";
  return name;
}

class IconvDescriptor {
 public:
  IconvDescriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvDescriptor() {
    if (valid()) iconv_close(cd_);
  }
  IconvDescriptor(const IconvDescriptor&) = delete;
  IconvDescriptor& operator=(const IconvDescriptor&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Whole-string conversion; fails on invalid input and on characters with no target form
  // (no //TRANSLIT or //IGNORE: a look-alike would make a different word).
  bool Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    // 4 bytes per input byte covers UTF-8 from any 8-bit encoding; shrinking the other way.
    out.resize(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = out.data();
    std::size_t dst_left = out.size();
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - dst_left);
    return true;
  }

 private:
  iconv_t cd_;
};

class IconvEncoding final : public LegacyEncoding {
 public:
  explicit IconvEncoding(const std::string& name)
      : to_legacy_(name.c_str(), "UTF-8"), to_utf8_("UTF-8", name.c_str()) {}

  bool valid() const { return to_legacy_.valid() && to_utf8_.valid(); }
  bool FromUtf8(std::string_view utf8, std::string& out) override {
    return to_legacy_.Convert(utf8, out);
  }
  bool ToUtf8(std::string_view legacy, std::string& out) override {
    return to_utf8_.Convert(legacy, out);
  }

 private:
  IconvDescriptor to_legacy_;
  IconvDescriptor to_utf8_;
};

}  // namespace

std::unique_ptr<LegacyEncoding> LegacyEncoding::Open(const std::string& hunspell_name) {
  auto encoding = std::make_unique<IconvEncoding>(IconvName(hunspell_name));
  if (!encoding->valid()) return nullptr;
  return encoding;
}

}  // namespace spellshell
