#include "updater/HttpDownload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>
#if defined(_WIN32)
#include <io.h>
#elif defined(__unix__)
#include <unistd.h>
#else
#error "HttpDownload: no file writing for this platform"
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/HttpRequest.h"

namespace updater {
namespace {

#if defined(_WIN32)
// A new file under the wide name, byte mode, never inherited; an existing file is removed
// first, so the download never writes through another name.
int CreateTarget(const std::string& target) {
  text::WString wide16 = text::FromUtf8(target);
  std::wstring wide(wide16.begin(), wide16.end());
  ::_wunlink(wide.c_str());
  return ::_wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
#else
// A new file, never one reached through a link or shared with another name.
int CreateTarget(const std::string& target) {
  unlink(target.c_str());
  return open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}
#endif

// One transfer's state: the target is created only once the answer is known to be good.
struct Transfer {
  const std::string* target;
  const DownloadHooks* hooks;
  uint64_t maxBytes;
  int fd = -1;
  bool failed = false;  // the file could not be created or written, or the body was too long
  uint64_t total = 0;
  uLong crc = crc32_z(0, nullptr, 0);

  ~Transfer() {
    if (fd >= 0) close(fd);
  }

  bool Open() {
    if (fd >= 0) return true;
    fd = CreateTarget(*target);
    failed = fd < 0;
    return !failed;
  }

  bool Write(const char* data, size_t size) {
    while (size > 0) {
      unsigned int part = static_cast<unsigned int>(std::min<size_t>(size, 1u << 30));
      auto n = write(fd, data, part);
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

platform::HttpLimits LimitsOf(const DownloadTimeouts& timeouts, uint64_t maxBytes) {
  platform::HttpLimits limits;
  limits.connectTimeoutMs = timeouts.connectMs;
  limits.stallMs = timeouts.stallMs;
  limits.minBytesPerSecond = timeouts.minBytesPerSecond;
  limits.rateWindowMs = timeouts.rateWindowMs;
  limits.maxAnnouncedBytes = maxBytes;
  return limits;
}

}  // namespace

bool HttpDownload::Get(const std::string& url, const std::string& target, uint64_t maxBytes, const DownloadHooks& hooks,
                       Digest* received) {
  Transfer transfer{&target, &hooks, maxBytes};
  platform::HttpReceiver receiver;
  receiver.onStatus = [&](long status) { return (status == 200 || status == 206) && transfer.Open(); };
  receiver.onBody = [&](const char* data, size_t size) { return transfer.Body(data, size); };
  receiver.keepGoing = hooks.keepGoing;
  bool ok = client_.Get(url, LimitsOf(timeouts_, maxBytes), receiver) == platform::HttpResult::kComplete;
  if (ok && hooks.onChunk) hooks.onChunk(static_cast<uint32_t>(transfer.total));
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
