#include "shell/file_uri.h"

#include <filesystem>
#include <system_error>

namespace spellshell {
namespace {

bool IsUnreserved(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

void AppendPercentEncoded(const std::string& path, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte) || byte == '/') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
}

}  // namespace

std::string FileUri(const std::string& path) {
  if (path.empty()) return {};
  std::string absolute;
  if (path.front() != '/') {
    // The non-throwing overload: a removed working directory is an answer, not an exception.
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    if (error) return {};
    absolute = cwd.string();
    if (absolute.empty() || absolute.back() != '/') absolute += '/';
  }
  absolute += path;

  std::string uri = "file://";
  uri.reserve(uri.size() + 3 * absolute.size());
  AppendPercentEncoded(absolute, uri);
  return uri;
}

}  // namespace spellshell
