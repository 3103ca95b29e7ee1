#include "updater/HttpDownload.h"

#include <zlib.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/HttpRequest.h"
#include "updater/PartialArchive.h"

namespace updater {
namespace {

constexpr size_t kReadBackBytes = 64 * 1024;

// One transfer's state: the target is created only once the answer is known to be good.
struct Transfer {
  const std::string* target;
  const DownloadHooks* hooks;
  uint64_t maxBytes;
  ArchiveHash* hash;
  const DownloadResume* resume;
  // A new file, never one reached through a link or shared with another name.
  platform::NewFile file{};
  long status = 0;
  bool failed = false;       // the file could not be created or written, or the body was too long
  bool rangeRefused = false;  // the partial answer does not fit the file
  uint64_t total = 0;
  uLong crc = crc32_z(0, nullptr, 0);

  void Take(const char* data, size_t size) {
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data), size);
    if (hash) hash->Update(data, size);
  }

  // The target afresh; the caller learns the answer's validator before any body byte.
  bool Fresh(const platform::HttpAnswer& answer) {
    if (resume && resume->onFresh) resume->onFresh({});  // the old validator never guards new bytes
    failed = !file.Create(*target, 0644);
    if (!failed && resume && resume->onFresh) resume->onFresh(ValidatorOf(answer));
    return !failed;
  }

  // The target's first `keep` bytes stay and count as received.
  bool Keep(uint64_t keep) {
    if (!file.ContinueAfter(*target, keep)) return !(failed = true);
    platform::StreamPtr kept = platform::OpenForReading(*target);
    std::vector<char> buffer(kReadBackBytes);
    while (kept && total < keep) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), keep - total));
      const size_t got = std::fread(buffer.data(), 1, want, kept.get());
      if (got == 0) break;
      Take(buffer.data(), got);
      total += got;
    }
    return total == keep || !(failed = true);
  }

  bool Open(const platform::HttpAnswer& answer) {
    status = answer.status;
    const bool ranged = resume && resume->offset > 0;
    if (!ranged) return platform::IsGoodStatus(status) && Fresh(answer);
    uint64_t first = 0;
    if (status == 206 && RangeFits(answer, resume->offset, resume->size, first)) return Keep(first);
    if (status == 206 || status == 416) {
      rangeRefused = true;
      return false;
    }
    return status == 200 && Fresh(answer);
  }

  bool Write(const char* data, size_t size) { return file.Write(data, size) || !(failed = true); }

  // One write for what arrived; progress and the cancel check still come per chunk.
  bool Body(const char* data, size_t size) {
    if (size > maxBytes - std::min(maxBytes, total)) return !(failed = true);  // longer than the caller allows
    if (!Write(data, size)) return false;
    Take(data, size);
    for (size_t done = 0; done < size; done += HttpDownload::kChunkBytes) {
      if (hooks->keepGoing && !hooks->keepGoing()) return false;
      total += std::min(HttpDownload::kChunkBytes, size - done);
      if (hooks->onChunk) hooks->onChunk(static_cast<uint32_t>(total));
    }
    return true;
  }

  Fetched Outcome(platform::HttpResult result) const {
    if (result == platform::HttpResult::kComplete) return Fetched::kComplete;
    if (rangeRefused) return Fetched::kRangeRefused;
    if (status >= 500 && status <= 599) return Fetched::kTransient;
    const bool cancelled = hooks->keepGoing && !hooks->keepGoing();
    if (failed || cancelled || result == platform::HttpResult::kEnded) return Fetched::kRefused;
    return Fetched::kTransient;
  }
};

platform::HttpLimits LimitsOf(const DownloadTimeouts& timeouts, uint64_t maxBytes) {
  platform::HttpLimits limits = timeouts;
  limits.maxAnnouncedBytes = maxBytes;
  return limits;
}

std::vector<std::string> RangeHeaders(const DownloadResume& resume) {
  if (resume.offset == 0) return {};
  return {"Range: bytes=" + std::to_string(resume.offset) + "-", "If-Range: " + resume.validator};
}

}  // namespace

bool HttpDownload::Get(const std::string& url, const std::string& target, uint64_t maxBytes, const DownloadHooks& hooks,
                       Digest* received, ArchiveHash* hash) {
  return Continue(url, target, maxBytes, hooks, DownloadResume{}, received, hash) == Fetched::kComplete;
}

Fetched HttpDownload::Continue(const std::string& url, const std::string& target, uint64_t maxBytes,
                               const DownloadHooks& hooks, const DownloadResume& resume, Digest* received,
                               ArchiveHash* hash) {
  Transfer transfer{&target, &hooks, maxBytes, hash, &resume};
  platform::HttpReceiver receiver;
  receiver.onStatus = [&](const platform::HttpAnswer& answer) { return transfer.Open(answer); };
  receiver.onBody = [&](const char* data, size_t size) { return transfer.Body(data, size); };
  receiver.keepGoing = hooks.keepGoing;
  const platform::HttpResult result = client_.Get(url, LimitsOf(timeouts_, maxBytes), receiver, RangeHeaders(resume));
  Fetched fetched = transfer.Outcome(result);
  if (fetched == Fetched::kComplete && hooks.onChunk) hooks.onChunk(static_cast<uint32_t>(transfer.total));
  // A file that cannot be closed cleanly was not written completely.
  if (!transfer.file.Close() && fetched == Fetched::kComplete) fetched = Fetched::kRefused;
  if (received) *received = Digest{transfer.total, static_cast<uint32_t>(transfer.crc)};
  return fetched;
}

std::string RequestUrl(text::WStringView url, uint32_t seconds) {
  return platform::EscapeUrl(text::ToUtf8(url)) + "?a=" + std::to_string(seconds);
}

text::WString EscapeListPath(text::WStringView path) {
  return text::FromUtf8(platform::EscapeUrlPath(text::ToUtf8(path)));
}

}  // namespace updater
