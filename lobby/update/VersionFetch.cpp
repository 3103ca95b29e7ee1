#include "lobby/update/VersionFetch.h"

#include <curl/curl.h>

#include <memory>

namespace lobby {

namespace {

struct Sink {
  std::string body;
  size_t maxBytes = 0;
  bool full = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  size_t n = size * count;
  size_t room = sink->maxBytes - sink->body.size();
  sink->body.append(data, n < room ? n : room);
  if (n < room) return n;
  sink->full = true;
  return 0;  // ends the transfer: the rest is never used
}

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// Bytes a URL cannot carry as they are (non-ASCII, blanks, controls) become %XX escapes, so
// names in any script reach the server in the form it publishes them.
std::string EscapeUrl(const std::string& url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

curl_slist* RequestHeaders() {
  curl_slist* list = nullptr;
  for (const char* h : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
    curl_slist* next = curl_slist_append(list, h);
    if (!next) {
      curl_slist_free_all(list);
      return nullptr;
    }
    list = next;
  }
  return list;
}

void ApplySettings(CURL* h, const std::string& url, const FetchLimits& limits, curl_slist* headers,
                   Sink* sink) {
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());  // escaped by the caller
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Vendrel");
  curl_easy_setopt(h, CURLOPT_PROXY, "");  // direct, whatever the environment says
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, sink);
}

}  // namespace

std::optional<std::string> FetchHead(const std::string& url, const FetchLimits& limits) {
  std::unique_ptr<CURL, EasyDeleter> h(curl_easy_init());
  std::unique_ptr<curl_slist, ListDeleter> headers(RequestHeaders());
  if (!h || !headers) return std::nullopt;
  Sink sink;
  sink.maxBytes = limits.maxBytes;
  std::string escaped = EscapeUrl(url);
  ApplySettings(h.get(), escaped, limits, headers.get(), &sink);
  CURLcode rc = curl_easy_perform(h.get());
  if (rc != CURLE_OK && !(rc == CURLE_WRITE_ERROR && sink.full)) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(h.get(), CURLINFO_RESPONSE_CODE, &status);
  if (status != 200 && status != 206) return std::nullopt;
  return std::move(sink.body);
}

}  // namespace lobby
