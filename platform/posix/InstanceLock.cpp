#include "platform/InstanceLock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstddef>
#include <cstring>

namespace platform {

namespace {

// An abstract-namespace socket address: machine-wide and released with its process.
socklen_t MakeAddress(const std::string& name, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  const std::string key = "zemba-instance:" + name;
  size_t n = std::min(key.size(), sizeof addr.sun_path - 1);
  std::memcpy(addr.sun_path + 1, key.data(), n);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

// Binds a new socket to the name; returns the descriptor, or -1 with errno set.
int BindName(const std::string& name) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un addr;
  socklen_t len = MakeAddress(name, addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

}  // namespace

struct InstanceLock::Handle {
  int fd;
};

void InstanceLock::HandleDeleter::operator()(Handle* handle) const {
  ::close(handle->fd);
  delete handle;
}

bool InstanceLock::Acquire(const std::string& name) {
  if (handle_) return true;
  int fd = BindName(name);
  if (fd < 0) return false;
  // Listening lets others test the name by connecting, without ever binding it themselves.
  // The queue is never accepted from: a handful of pending probes, then they are refused.
  ::listen(fd, 1);
  handle_.reset(new Handle{fd});
  return true;
}

void InstanceLock::Release() { handle_.reset(); }

bool InstanceLock::IsTaken(const std::string& name) {
  // Binding the name to test it, even for an instant, could make a starting holder fail.
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  sockaddr_un addr;
  socklen_t len = MakeAddress(name, addr);
  int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), len);
  int error = rc == 0 ? 0 : errno;
  ::close(fd);
  // Refused means nobody listens on the name. Anything else (connected, queue full, an
  // unexpected error) counts as taken: a lock that cannot be tested must not look free.
  return error != ECONNREFUSED;
}

}  // namespace platform
