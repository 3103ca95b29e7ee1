// One HTTP GET towards the update server with the settings both programs use: agent "Vendrel",
// no proxy, no caching, "Accept: */*", HTTP/1.1, redirects followed within http and https.
// libcurl on Linux, WinINet on Windows; the handles stay inside the backend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The agent every request of both programs names.
inline constexpr const char* kUserAgent = "Vendrel";

// The statuses whose body is the resource (whole or in part); any other answer is refused.
inline bool IsGoodStatus(long status) { return status == 200 || status == 206; }

// Every time-out and limit of a transfer, in one place for both programs and both backends.
struct HttpLimits {
  long connectTimeoutMs = 15000;  // no answer to the connect: the transfer fails
  long stallMs = 30000;           // nothing received for this long: the transfer fails
  // A server that trickles a byte now and then never stalls: fewer than minBytesPerSecond on
  // average over any rateWindowMs also fails the transfer (0: no such rule).
  long minBytesPerSecond = 0;
  long rateWindowMs = 30000;
  long totalTimeoutMs = 0;  // the whole transfer, 0 for no bound
  // A body announced longer than this fails before the receiver sees anything (0: no bound).
  uint64_t maxAnnouncedBytes = 0;
};

// The final answer's status and header fields (those of a redirect are not kept).
struct HttpAnswer {
  long status = 0;
  std::vector<std::pair<std::string, std::string>> fields;  // in order, values trimmed

  // The value of the first field of this name (case-insensitive); empty when absent.
  std::string Field(std::string_view name) const;
  // Takes one raw header line ("Name: value\r\n"); a status line starts the fields afresh.
  void AddLine(std::string_view line);
};

// What the caller does with the answer; everything runs on the requesting thread.
struct HttpReceiver {
  std::function<bool(const HttpAnswer& answer)> onStatus;    // before any body byte; false ends it
  std::function<bool(const char* data, size_t size)> onBody;  // false ends the transfer
  std::function<bool()> keepGoing;                            // polled while waiting; false ends it
};

enum class HttpResult {
  kComplete,  // the whole body was handed over
  kEnded,     // the receiver ended the transfer (onStatus, onBody or keepGoing said false)
  kFailed,    // no answer, a broken or stalled connection, a bad URL
};

// A client that keeps its connection between requests, so consecutive GETs to one server reuse
// it. One transfer at a time; Abort may come from another thread.
class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // GETs `url` (already escaped, query included), sending `headers` ("Name: value" each)
  // besides the fixed ones.
  HttpResult Get(const std::string& url, const HttpLimits& limits, const HttpReceiver& receiver,
                 const std::vector<std::string>& headers = {});

  // Makes a running transfer fail soon, from any thread; later transfers are not affected.
  void Abort();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Escapes the bytes a URL cannot carry as they are (blanks, controls, non-ASCII, quotes,
// braces...) as %XX; "%" stays so escapes already present survive. Backslashes become "/".
std::string EscapeUrl(const std::string& url);

// Escapes a name or relative path of an update list completely for a URL path: every byte but
// letters, digits and "-._~" ("%", "?" and "#" included, so a file name reaches the server as
// itself); backslashes, which separate the list's levels, become "/".
std::string EscapeUrlPath(const std::string& path);

}  // namespace platform
