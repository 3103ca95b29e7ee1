#include "lobby/flash/WebAddress.h"

namespace lobby {

namespace {

constexpr size_t kMaxAddressLength = 4096;

bool HasControlOrSpace(text::WStringView s) {
  for (char16_t c : s) {
    if (c <= 0x20 || c == 0x7F) return true;
  }
  return false;
}

// The host of an "http://" or "https://" address (scheme in any case), without user
// information and port; empty when the address has another form or a malformed port.
std::string WebHost(const std::string& address) {
  size_t colon = address.find("://");
  if (colon == std::string::npos) return {};
  std::string scheme = text::AsciiLower(address.substr(0, colon));
  if (scheme != "http" && scheme != "https") return {};
  std::string authority = address.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  size_t at = authority.rfind('@');
  std::string host = at == std::string::npos ? authority : authority.substr(at + 1);
  size_t portStart = host.rfind(':');
  if (portStart != std::string::npos && host.find(']', portStart) == std::string::npos) {
    if (host.find_first_not_of("0123456789", portStart + 1) != std::string::npos) return {};
    host.resize(portStart);
  }
  return host;
}

}  // namespace

std::optional<std::string> CheckedWebAddress(text::WStringView address) {
  if (address.empty() || address.size() > kMaxAddressLength || HasControlOrSpace(address)) {
    return std::nullopt;
  }
  std::string utf8 = text::ToUtf8(address);
  if (WebHost(utf8).empty()) return std::nullopt;
  return utf8;
}

}  // namespace lobby
