#include "lobby/update/VersionFetch.h"

#include "platform/HttpRequest.h"

namespace lobby {

platform::HttpLimits CheckTransferLimits(long connectTimeoutMs, long totalTimeoutMs) {
  platform::HttpLimits limits;
  limits.connectTimeoutMs = connectTimeoutMs;
  limits.stallMs = totalTimeoutMs;
  limits.totalTimeoutMs = totalTimeoutMs;
  return limits;
}

std::optional<std::string> FetchHead(const std::string& url, const FetchLimits& limits) {
  return FetchHeadAndStatus(url, limits).body;
}

FetchedHead FetchHeadAndStatus(const std::string& url, const FetchLimits& limits) {
  FetchedHead fetched;
  std::string body;
  bool full = false;
  platform::HttpReceiver receiver;
  receiver.onStatus = [&fetched](const platform::HttpAnswer& answer) {
    fetched.status = answer.status;
    return platform::IsGoodStatus(answer.status);
  };
  receiver.onBody = [&](const char* data, size_t size) {
    size_t room = limits.maxBytes - body.size();
    body.append(data, size < room ? size : room);
    full = size >= room;
    return !full;  // ends the transfer once the buffer is full: the rest is never used
  };
  platform::HttpClient client;
  platform::HttpResult result = client.Get(platform::EscapeUrl(url), limits.transfer, receiver);
  if (result == platform::HttpResult::kComplete || (result == platform::HttpResult::kEnded && full)) {
    fetched.body = std::move(body);
  }
  return fetched;
}

}  // namespace lobby
