// The one HTTP GET of the lobby: a small text file from the update server into memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/HttpRequest.h"

namespace lobby {

// Transfer settings for a version check: the player waits on it, so it gives up after
// `totalTimeoutMs` whether the server stalls or trickles.
platform::HttpLimits CheckTransferLimits(long connectTimeoutMs, long totalTimeoutMs);

struct FetchLimits {
  platform::HttpLimits transfer = CheckTransferLimits(3000, 6000);
  size_t maxBytes = 1024;  // the rest of the body is not read
};

// GETs `url` (the caller adds any query) with the update client's request settings. The first
// maxBytes bytes of the body when the status is 200 or 206; nothing on any other status or
// on a transfer failure.
std::optional<std::string> FetchHead(const std::string& url, const FetchLimits& limits);

// The same, also telling the status of the server's last answer: 0 when no answer came at all
// (no connection, a time-out before the status line).
struct FetchedHead {
  std::optional<std::string> body;
  long status = 0;
};
FetchedHead FetchHeadAndStatus(const std::string& url, const FetchLimits& limits);

}  // namespace lobby
