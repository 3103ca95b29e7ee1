#include "platform/HttpRequest.h"

#include <curl/curl.h>

#include <mutex>
#include <string_view>

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

void InitHttp() {
  // The library's global set-up is not thread-safe; do it once before the first handle.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool ApplyRequestSettings(CURL* curl, long connectTimeoutMs, curl_slist** headers) {
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Vendrel");
  curl_easy_setopt(curl, CURLOPT_PROXY, "");  // direct: ignore proxy settings of the environment
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
  for (const char* h : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
    curl_slist* next = curl_slist_append(*headers, h);
    if (!next) return false;
    *headers = next;
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, *headers);
  return true;
}

std::string EscapeUrl(const std::string& url) { return PercentEncode(url, UrlSafe); }

std::string EscapeUrlPath(const std::string& path) { return PercentEncode(path, Unreserved); }

}  // namespace platform
