#include "updater/HttpDownload.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/HttpRequest.h"

namespace updater {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '.' || c == '_' || c == '~';
}

// One transfer's state: the file is opened only once the answer is known to be good.
struct Transfer {
  const std::string* target;
  const DownloadHooks* hooks;
  int fd = -1;
  bool failed = false;  // the file could not be created or written
  uint64_t total = 0;

  ~Transfer() {
    if (fd >= 0) close(fd);
  }

  bool Open() {
    if (fd >= 0) return true;
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

}  // namespace

bool HttpDownload::Get(const std::string& url, const std::string& target, const DownloadHooks& hooks) {
  Transfer transfer{&target, &hooks};
  platform::HttpReceiver receiver;
  receiver.onStatus = [&](long status) { return (status == 200 || status == 206) && transfer.Open(); };
  receiver.onBody = [&](const char* data, size_t size) { return transfer.Body(data, size); };
  receiver.keepGoing = hooks.keepGoing;
  platform::HttpLimits limits;
  limits.connectTimeoutMs = timeouts_.connectMs;
  limits.stallMs = timeouts_.stallMs;
  bool ok = client_.Get(url, limits, receiver) == platform::HttpResult::kComplete;
  if (ok && hooks.onChunk) hooks.onChunk(static_cast<uint32_t>(transfer.total));
  // A file that cannot be closed cleanly was not written completely.
  if (transfer.fd >= 0 && close(transfer.fd) != 0) ok = false;
  transfer.fd = -1;
  return ok;
}

std::string RequestUrl(text::WStringView url, uint32_t seconds) {
  return platform::EscapeUrl(text::ToUtf8(url)) + "?a=" + std::to_string(seconds);
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
