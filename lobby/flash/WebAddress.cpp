#include "lobby/flash/WebAddress.h"

#include <glib.h>

namespace lobby {

namespace {

constexpr size_t kMaxAddressLength = 4096;

bool HasControlOrSpace(text::WStringView s) {
  for (char16_t c : s) {
    if (c <= 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> CheckedWebAddress(text::WStringView address) {
  if (address.empty() || address.size() > kMaxAddressLength || HasControlOrSpace(address)) {
    return std::nullopt;
  }
  std::string utf8 = text::ToUtf8(address);
  GUri* uri = g_uri_parse(utf8.c_str(), G_URI_FLAGS_NONE, nullptr);
  if (!uri) return std::nullopt;
  std::string scheme = text::AsciiLower(std::string(g_uri_get_scheme(uri)));
  const char* host = g_uri_get_host(uri);
  bool ok = (scheme == "http" || scheme == "https") && host && *host;
  g_uri_unref(uri);
  if (!ok) return std::nullopt;
  return utf8;
}

}  // namespace lobby
