// One HTTP GET into a file, with the fixed request settings both programs use. The client is
// kept between calls so consecutive downloads reuse one keep-alive connection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/HttpRequest.h"
#include "text/Text.h"
#include "updater/ArchiveHash.h"
#include "updater/Crc32.h"

namespace updater {

// The updater's time-outs: the transfer's own settings, with a rate floor of 1 KB/s over 30 s so
// every transfer ends in bounded time (the body's cap comes from each request).
using DownloadTimeouts = platform::HttpLimits;
inline DownloadTimeouts UpdaterTimeouts() {
  DownloadTimeouts t;
  t.minBytesPerSecond = 1024;
  return t;
}

// What a transfer reports while it runs; both are called on the downloading thread.
struct DownloadHooks {
  std::function<bool()> keepGoing;                    // false cancels the transfer
  std::function<void(uint32_t received)> onChunk;    // after each chunk of at most kChunkBytes
};

// Continuing a partial target with a range request. Without an offset the target starts afresh.
struct DownloadResume {
  uint64_t offset = 0;    // bytes of the target to keep when the server sends only the rest
  std::string validator;  // of the answer that began the target; sent as If-Range
  uint64_t size = 0;      // the complete file's size, which a partial answer must agree with
  // Called with the validator of an answer that starts the target afresh (empty when it has
  // none), once the target is empty and before any body byte is written.
  std::function<void(const std::string& validator)> onFresh;
};

// How a GET ended.
enum class Fetched {
  kComplete,     // a good answer whose body arrived completely and was written
  kTransient,    // no answer, a broken, stalled or slow connection, or a 5xx: worth another try
  kRefused,      // any other status, a body too long, a write that failed, or cancelled
  kRangeRefused  // a 416 or a partial answer inconsistent with the file: start it over
};

class HttpDownload {
 public:
  static constexpr size_t kChunkBytes = 5120;

  HttpDownload() = default;
  HttpDownload(const HttpDownload&) = delete;
  HttpDownload& operator=(const HttpDownload&) = delete;

  void SetTimeouts(const DownloadTimeouts& timeouts) { timeouts_ = timeouts; }

  // GETs `url` (already escaped, query included) into `target`. True only for a 200 or 206
  // answer whose body arrived completely, was written and holds at most maxBytes (a longer
  // body is cut off there and fails). The target is created only once the status is known to
  // be good, so a refused request leaves an existing file untouched; it is always a new file,
  // made without following a link planted at its name. onChunk sees the running total after
  // every chunk and once more at the end of a good body (so an empty body reports 0 once).
  // `hash`, when given, takes in every byte of the body as it arrives.
  bool Get(const std::string& url, const std::string& target, uint64_t maxBytes, const DownloadHooks& hooks,
           Digest* received = nullptr, ArchiveHash* hash = nullptr);

  // The same, continuing the target after resume.offset bytes when the server agrees: a 206
  // whose Content-Range runs to resume.size and starts at or before the offset is written at its
  // own start (the bytes before it stay); a 200 starts the target over; a 416 or any other 206
  // changes nothing and ends as kRangeRefused. `received` and `hash` cover the whole target,
  // the bytes kept included.
  Fetched Continue(const std::string& url, const std::string& target, uint64_t maxBytes, const DownloadHooks& hooks,
                   const DownloadResume& resume, Digest* received = nullptr, ArchiveHash* hash = nullptr);

 private:
  platform::HttpClient client_;
  DownloadTimeouts timeouts_ = UpdaterTimeouts();
};

// The request URL: backslashes become "/", bytes a URL cannot carry (spaces, controls,
// non-ASCII as UTF-8, quotes, braces...) are percent-encoded, then "?a=<seconds>" is appended
// as a cache-buster (after any query already there).
std::string RequestUrl(text::WStringView url, uint32_t seconds);

// Percent-encodes a name or relative path of the list ("\" separates levels) for a URL: every
// level completely ("%", "?" and "#" included, so a file name reaches the server as itself),
// levels joined with "/".
text::WString EscapeListPath(text::WStringView path);

}  // namespace updater
