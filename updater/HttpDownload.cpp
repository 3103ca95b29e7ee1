#include "updater/HttpDownload.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace updater {
namespace {

// The library's global set-up is not thread-safe; do it once before the first handle.
void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

constexpr char kHex[] = "0123456789ABCDEF";
// Bytes taken from the connection at once; progress is still reported in chunks of kChunkBytes.
constexpr long kReceiveBytes = 64 * 1024;

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

// Bytes a URL may carry as they are; "%" stays so that escapes already present survive.
bool UrlSafe(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  return std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) == std::string_view::npos;
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '.' || c == '_' || c == '~';
}

// One transfer's state, reached from the write callback.
struct Transfer {
  CURL* curl;
  const std::string* target;
  const DownloadHooks* hooks;
  long stallMs;
  int fd = -1;
  bool refused = false;  // the status was not 200/206
  bool failed = false;   // the file could not be created or written
  uint64_t total = 0;
  curl_off_t lastSeen = -1;  // byte count at the last sign of life
  std::chrono::steady_clock::time_point lastAlive = std::chrono::steady_clock::now();

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
    fd = open(target->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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
    if (!Write(data, size)) return false;
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
  return now - t.lastAlive > std::chrono::milliseconds(t.stallMs) ? 1 : 0;
}

}  // namespace

HttpDownload::HttpDownload() {
  GlobalInit();
  curl_ = curl_easy_init();
}

HttpDownload::~HttpDownload() {
  if (curl_) curl_easy_cleanup(curl_);
}

void ApplyRequestSettings(CURL* curl, const DownloadTimeouts& timeouts, curl_slist** headers) {
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Vendrel");
  curl_easy_setopt(curl, CURLOPT_PROXY, "");  // direct: ignore proxy settings of the environment
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
  // For callers without their own stall check; curl averages over seconds, so it reacts later.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, timeouts.stallMs / 1000) + 5);
  *headers = curl_slist_append(*headers, "Accept: */*");
  *headers = curl_slist_append(*headers, "Pragma: no-cache");
  *headers = curl_slist_append(*headers, "Cache-Control: no-cache");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, *headers);
}

bool HttpDownload::Get(const std::string& url, const std::string& target, const DownloadHooks& hooks) {
  if (!curl_) return false;
  curl_slist* headers = nullptr;
  ApplyRequestSettings(curl_, timeouts_, &headers);
  Transfer transfer{curl_, &target, &hooks, timeouts_.stallMs};
  curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
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
  return ok;
}

std::string RequestUrl(text::WStringView url, uint32_t seconds) {
  std::string out;
  for (unsigned char c : text::ToUtf8(url)) {
    if (c == '\\') c = '/';
    if (UrlSafe(c)) out += static_cast<char>(c);
    else AppendEscaped(out, c);
  }
  return out + "?a=" + std::to_string(seconds);
}

text::WString EscapeListPath(text::WStringView path) {
  std::string out;
  for (unsigned char c : text::ToUtf8(path)) {
    if (c == '\\') out += '/';
    else if (Unreserved(c)) out += static_cast<char>(c);
    else AppendEscaped(out, c);
  }
  return text::FromUtf8(out);
}

}  // namespace updater
