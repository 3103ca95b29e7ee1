#include "updater/HttpDownload.h"

#include <zlib.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/HttpRequest.h"

namespace updater {
namespace {

// One transfer's state: the target is created only once the answer is known to be good.
struct Transfer {
  const std::string* target;
  const DownloadHooks* hooks;
  uint64_t maxBytes;
  ArchiveHash* hash;
  // A new file, never one reached through a link or shared with another name.
  platform::NewFile file{};
  bool failed = false;  // the file could not be created or written, or the body was too long
  uint64_t total = 0;
  uLong crc = crc32_z(0, nullptr, 0);

  bool Open() {
    if (file.IsOpen()) return true;
    failed = !file.Create(*target, 0644);
    return !failed;
  }

  bool Write(const char* data, size_t size) { return file.Write(data, size) || !(failed = true); }

  // One write for what arrived; progress and the cancel check still come per chunk.
  bool Body(const char* data, size_t size) {
    if (size > maxBytes - total) return !(failed = true);  // longer than the caller allows
    if (!Write(data, size)) return false;
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data), size);
    if (hash) hash->Update(data, size);
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
                       Digest* received, ArchiveHash* hash) {
  Transfer transfer{&target, &hooks, maxBytes, hash};
  platform::HttpReceiver receiver;
  receiver.onStatus = [&](long status) { return (status == 200 || status == 206) && transfer.Open(); };
  receiver.onBody = [&](const char* data, size_t size) { return transfer.Body(data, size); };
  receiver.keepGoing = hooks.keepGoing;
  bool ok = client_.Get(url, LimitsOf(timeouts_, maxBytes), receiver) == platform::HttpResult::kComplete;
  if (ok && hooks.onChunk) hooks.onChunk(static_cast<uint32_t>(transfer.total));
  // A file that cannot be closed cleanly was not written completely.
  if (!transfer.file.Close()) ok = false;
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
