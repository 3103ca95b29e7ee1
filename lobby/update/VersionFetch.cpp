#include "lobby/update/VersionFetch.h"

#include <curl/curl.h>

#include <memory>

#include "platform/HttpRequest.h"

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

void ApplySettings(CURL* h, const std::string& url, const FetchLimits& limits, Sink* sink) {
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);  // bounds a stalled answer
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, sink);
}

}  // namespace

std::optional<std::string> FetchHead(const std::string& url, const FetchLimits& limits) {
  platform::InitHttp();
  std::unique_ptr<CURL, EasyDeleter> h(curl_easy_init());
  if (!h) return std::nullopt;
  curl_slist* list = nullptr;
  bool ready = platform::ApplyRequestSettings(h.get(), limits.connectTimeoutMs, &list);
  std::unique_ptr<curl_slist, ListDeleter> headers(list);
  if (!ready) return std::nullopt;
  Sink sink;
  sink.maxBytes = limits.maxBytes;
  const std::string escaped = platform::EscapeUrl(url);
  ApplySettings(h.get(), escaped, limits, &sink);
  CURLcode rc = curl_easy_perform(h.get());
  if (rc != CURLE_OK && !(rc == CURLE_WRITE_ERROR && sink.full)) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(h.get(), CURLINFO_RESPONSE_CODE, &status);
  if (status != 200 && status != 206) return std::nullopt;
  return std::move(sink.body);
}

}  // namespace lobby
