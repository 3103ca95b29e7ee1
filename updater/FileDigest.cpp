#include "updater/FileDigest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>

#include "updater/Crc32.h"

namespace updater {
namespace {

constexpr size_t kBlockBytes = 256 * 1024;

}  // namespace

bool FileDigest::Measure(const std::string& path) {
  size_ = 0;
  crcText_.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  buffer_.resize(kBlockBytes);
  uLong crc = crc32_z(0, nullptr, 0);
  uint64_t total = 0;
  ssize_t n;
  while ((n = read(fd, buffer_.data(), buffer_.size())) != 0) {
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
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<uint32_t>(st.st_size) != static_cast<uint32_t>(size)) {
    size_ = 0;
    crcText_.clear();
    return false;
  }
  return Measure(path) && size_ == static_cast<uint32_t>(size) && crcText_ == crcText;
}

}  // namespace updater
