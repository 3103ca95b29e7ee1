// The one HTTP GET of the lobby: a small text file from the update server into memory.
#pragma once

#include <optional>
#include <string>

namespace lobby {

struct FetchLimits {
  long connectTimeoutMs = 3000;
  long totalTimeoutMs = 6000;  // bounds a server that stalls mid-answer
  size_t maxBytes = 1024;      // the rest of the body is not read
};

// GETs `url` (the caller adds any query) with the update client's request settings. The first
// maxBytes bytes of the body when the status is 200 or 206; nothing on any other status or
// on a transfer failure.
std::optional<std::string> FetchHead(const std::string& url, const FetchLimits& limits);

}  // namespace lobby
