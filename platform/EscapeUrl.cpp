#include <string_view>

#include "platform/HttpRequest.h"

namespace platform {

namespace {

bool UrlSafe(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  return std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) == std::string_view::npos;
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// The one percent-encoder: "\" becomes "/", bytes `keep` accepts stay, the rest become %XX.
std::string PercentEncode(const std::string& bytes, bool (*keep)(unsigned char)) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c == '\\') c = '/';
    if (c == '/' || keep(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

std::string EscapeUrl(const std::string& url) { return PercentEncode(url, UrlSafe); }

std::string EscapeUrlPath(const std::string& path) { return PercentEncode(path, Unreserved); }

}  // namespace platform
