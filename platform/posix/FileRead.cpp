#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::optional<std::string> Failed(int* error, int code) {
  if (error != nullptr) *error = code;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes, int* error) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) return Failed(error, errno);
  struct stat info;
  if (::fstat(fd.get(), &info) != 0) return Failed(error, errno);
  // A directory, a pipe or a device has no size to read up to, and a pipe would block.
  if (!S_ISREG(info.st_mode)) return Failed(error, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  if (static_cast<unsigned long long>(info.st_size) > maxBytes) return Failed(error, EFBIG);
  // Read on past the size seen, up to one byte past the cap: a file that grew meanwhile is
  // read whole or noticed.
  std::string bytes(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() > maxBytes) break;
      bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed(error, errno);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (done > maxBytes) return Failed(error, EFBIG);
  bytes.resize(done);
  return bytes;
}

std::string ErrorText(int error) {
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace platform
