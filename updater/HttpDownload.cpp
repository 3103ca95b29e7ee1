#include "updater/HttpDownload.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/HttpRequest.h"

namespace updater {
namespace {

// Bytes taken from the connection at once; progress is still reported in chunks of kChunkBytes.
constexpr long kReceiveBytes = 64 * 1024;

// One transfer's state, reached from the write callback.
struct Transfer {
  CURL* curl;
  const std::string* target;
  const DownloadHooks* hooks;
  DownloadTimeouts timeouts;
  uint64_t maxBytes;
  int fd = -1;
  bool refused = false;  // the status was not 200/206
  bool failed = false;   // the file could not be created or written, or the body was too long
  uint64_t total = 0;
  uLong crc = crc32_z(0, nullptr, 0);
  curl_off_t lastSeen = -1;  // byte count at the last sign of life
  std::chrono::steady_clock::time_point lastAlive = std::chrono::steady_clock::now();
  curl_off_t windowBytes = 0;  // byte count when the current rate window began
  std::chrono::steady_clock::time_point windowStart = lastAlive;

  ~Transfer() {
    if (fd >= 0) close(fd);
  }

  bool StatusAccepted() {
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    return code == 200 || code == 206;
  }

  // The target is opened only here, once the answer is known to be good.
  bool Open() {
    if (fd >= 0) return true;
    if (!StatusAccepted()) {
      refused = true;
      return false;
    }
    // A new file, never one reached through a link or shared with another name.
    unlink(target->c_str());
    fd = open(target->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    failed = fd < 0;
    return !failed;
  }

  bool Write(const char* data, size_t size) {
    while (size > 0) {
      ssize_t n = write(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return !(failed = true);
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  // One write for what arrived; progress and the cancel check still come per chunk.
  bool Body(const char* data, size_t size) {
    if (size > maxBytes - total) return !(failed = true);  // longer than the caller allows
    if (!Write(data, size)) return false;
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data), size);
    for (size_t done = 0; done < size; done += HttpDownload::kChunkBytes) {
      if (hooks->keepGoing && !hooks->keepGoing()) return false;
      total += std::min(HttpDownload::kChunkBytes, size - done);
      if (hooks->onChunk) hooks->onChunk(static_cast<uint32_t>(total));
    }
    return true;
  }
};

size_t OnBody(char* data, size_t, size_t size, void* user) {
  Transfer& t = *static_cast<Transfer*>(user);
  if (!t.Open()) return 0;  // aborts the transfer
  return t.Body(data, size) ? size : 0;
}

// Cancels when the worker is told to stop, and when the server has sent nothing for the stall
// time: a dead server fails the attempt instead of hanging it.
int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  Transfer& t = *static_cast<Transfer*>(user);
  if (t.hooks->keepGoing && !t.hooks->keepGoing()) return 1;
  const auto now = std::chrono::steady_clock::now();
  if (received != t.lastSeen) {
    t.lastSeen = received;
    t.lastAlive = now;
  }
  if (now - t.lastAlive > std::chrono::milliseconds(t.timeouts.stallMs)) return 1;
  const auto window = std::chrono::milliseconds(t.timeouts.rateWindowMs);
  if (now - t.windowStart < window) return 0;
  const curl_off_t floor = static_cast<curl_off_t>(t.timeouts.minBytesPerSecond) * t.timeouts.rateWindowMs / 1000;
  if (received - t.windowBytes < floor) return 1;
  t.windowStart = now;
  t.windowBytes = received;
  return 0;
}

// The shared request settings, plus curl's own low-speed rule for callers without a stall
// check of their own (curl averages over seconds, so it reacts later than ours).
bool ApplyDownloadSettings(CURL* curl, const DownloadTimeouts& timeouts, curl_slist** headers) {
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, timeouts.stallMs / 1000) + 5);
  return platform::ApplyRequestSettings(curl, timeouts.connectMs, headers);
}

}  // namespace

HttpDownload::HttpDownload() {
  platform::InitHttp();
  curl_ = curl_easy_init();
}

HttpDownload::~HttpDownload() {
  if (curl_) curl_easy_cleanup(curl_);
}

bool HttpDownload::Get(const std::string& url, const std::string& target, uint64_t maxBytes, const DownloadHooks& hooks,
                       Digest* received) {
  if (!curl_) return false;
  curl_slist* headers = nullptr;
  if (!ApplyDownloadSettings(curl_, timeouts_, &headers)) {
    curl_slist_free_all(headers);
    return false;
  }
  Transfer transfer{curl_, &target, &hooks, timeouts_, maxBytes};
  curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
  // An announced length over the limit fails before anything is written.
  curl_easy_setopt(curl_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(std::min<uint64_t>(maxBytes, INT64_MAX)));
  curl_easy_setopt(curl_, CURLOPT_BUFFERSIZE, kReceiveBytes);
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, &transfer);
  const CURLcode rc = curl_easy_perform(curl_);
  // An empty good body never reaches the write callback: create the file now.
  bool ok = rc == CURLE_OK && transfer.Open();
  if (ok && hooks.onChunk) hooks.onChunk(static_cast<uint32_t>(transfer.total));
  curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);
  // A file that cannot be closed cleanly was not written completely.
  if (transfer.fd >= 0 && close(transfer.fd) != 0) ok = false;
  transfer.fd = -1;
  if (received) *received = Digest{transfer.total, static_cast<uint32_t>(transfer.crc)};
  return ok;
}

std::string RequestUrl(text::WStringView url, uint32_t seconds) {
  return platform::EscapeUrl(text::ToUtf8(url)) + "?a=" + std::to_string(seconds);
}

text::WString EscapeListPath(text::WStringView path) {
  return text::FromUtf8(platform::EscapeUrlPath(text::ToUtf8(path)));
}

}  // namespace updater
