#include "updater/FileDigest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>
#if defined(_WIN32)
#include <io.h>
#elif defined(__unix__)
#include <unistd.h>
#else
#error "FileDigest: no file reading for this platform"
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

#include "updater/Crc32.h"

namespace updater {
namespace {

constexpr size_t kBlockBytes = 256 * 1024;
constexpr size_t kMaxMatchers = 4;

#if defined(_WIN32)
std::wstring WidePath(const std::string& path) {
  text::WString wide = text::FromUtf8(path);
  return std::wstring(wide.begin(), wide.end());
}

// Byte mode under the wide name: no newline translation, any character in the path.
int OpenForReading(const std::string& path) {
  return _wopen(WidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT | _O_SEQUENTIAL);
}

bool RegularFileSize(const std::string& path, uint64_t& size) {
  struct _stat64 st;
  if (_wstat64(WidePath(path).c_str(), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return false;
  size = static_cast<uint64_t>(st.st_size);
  return true;
}
#else
int OpenForReading(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

bool RegularFileSize(const std::string& path, uint64_t& size) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<uint64_t>(st.st_size);
  return true;
}
#endif

}  // namespace

bool FileDigest::Measure(const std::string& path) {
  size_ = 0;
  crcText_.clear();
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  buffer_.resize(kBlockBytes);
  uLong crc = crc32_z(0, nullptr, 0);
  uint64_t total = 0;
  long long n;
  while ((n = read(fd, buffer_.data(), static_cast<unsigned>(buffer_.size()))) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    crc = crc32_z(crc, buffer_.data(), static_cast<size_t>(n));
    total += static_cast<uint64_t>(n);
  }
  close(fd);
  if (n < 0) return false;
  size_ = static_cast<uint32_t>(total);
  crcText_ = updater::CrcText(static_cast<uint32_t>(crc));
  return true;
}

bool FileDigest::Matches(const std::string& path, int32_t size, text::WStringView crcText) {
  uint64_t actual = 0;
  if (!RegularFileSize(path, actual) || static_cast<uint32_t>(actual) != static_cast<uint32_t>(size)) {
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
