#include "updater/FileDigest.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>

#include "platform/FileSystem.h"
#include "updater/Crc32.h"

namespace updater {
namespace {

constexpr size_t kBlockBytes = 256 * 1024;
constexpr size_t kMaxMatchers = 4;

}  // namespace

bool FileDigest::Measure(const std::string& path) {
  size_ = 0;
  crcText_.clear();
  platform::StreamPtr file = platform::OpenForReading(path);
  if (!file) return false;
  // Reads go straight into the block: no stream buffer to allocate and fill first.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  buffer_.resize(kBlockBytes);
  uLong crc = crc32_z(0, nullptr, 0);
  uint64_t total = 0;
  // A short read is the end (or an error): no further call to find that out.
  size_t n;
  do {
    n = std::fread(buffer_.data(), 1, buffer_.size(), file.get());
    crc = crc32_z(crc, buffer_.data(), n);
    total += n;
  } while (n == buffer_.size());
  if (std::ferror(file.get())) return false;
  size_ = static_cast<uint32_t>(total);
  crcText_ = updater::CrcText(static_cast<uint32_t>(crc));
  return true;
}

bool FileDigest::Matches(const std::string& path, int32_t size, text::WStringView crcText) {
  platform::FileFacts facts;
  if (!platform::RegularFileFacts(path, platform::Links::kFollow, facts) ||
      static_cast<uint32_t>(facts.size) != static_cast<uint32_t>(size)) {
    size_ = 0;
    crcText_.clear();
    return false;
  }
  return Measure(path) && size_ == static_cast<uint32_t>(size) && crcText_ == crcText;
}

std::vector<bool> MatchAll(const std::vector<ExpectedFile>& files) {
  std::vector<char> results(files.size(), 0);  // char, not bool: threads write neighbours
  std::atomic<size_t> next{0};
  auto matchSome = [&] {
    FileDigest digest;
    for (size_t i = next++; i < files.size(); i = next++) {
      results[i] = digest.Matches(files[i].path, files[i].size, files[i].crcText);
    }
  };
  const size_t wanted = std::min<size_t>({kMaxMatchers, std::max(1u, std::thread::hardware_concurrency()), files.size()});
  std::vector<std::thread> helpers;
  try {
    for (size_t i = 1; i < wanted; ++i) helpers.emplace_back(matchSome);
  } catch (const std::system_error&) {
    // Fewer helpers: this thread and those that started still cover every file.
  }
  matchSome();
  for (std::thread& t : helpers) t.join();
  return std::vector<bool>(results.begin(), results.end());
}

}  // namespace updater
