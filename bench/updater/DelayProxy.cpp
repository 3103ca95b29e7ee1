#include "bench/updater/DelayProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <string>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kChunk = 16 * 1024;

int Listen(uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  port = ntohs(a.sin_port);
  return fd;
}

int Connect(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

// Chunks read from one side, each with the moment it may be written to the other.
struct DelayProxy::Pipe {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::pair<Clock::time_point, std::string>> chunks;
  bool closed = false;
};

DelayProxy::DelayProxy(uint16_t upstreamPort, LinkShape shape) : upstreamPort_(upstreamPort), shape_(shape) {
  listenFd_ = Listen(port_);
  if (listenFd_ >= 0) acceptor_ = std::thread([this] { AcceptLoop(); });
}

DelayProxy::~DelayProxy() {
  stopping_ = true;
  if (listenFd_ >= 0) ::shutdown(listenFd_, SHUT_RDWR);
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
  }
  for (std::thread& t : threads_) t.join();
  for (int fd : fds_) ::close(fd);
  if (listenFd_ >= 0) ::close(listenFd_);
}

void DelayProxy::AcceptLoop() {
  while (!stopping_) {
    const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const int server = Connect(upstreamPort_);
    std::lock_guard<std::mutex> lock(threadsMutex_);
    fds_.push_back(client);
    if (server < 0) continue;
    fds_.push_back(server);
    threads_.emplace_back([this, client, server] { Relay(client, server, false); });
    threads_.emplace_back([this, client, server] { Relay(server, client, true); });
  }
}

Clock::time_point DelayProxy::Transmit(Clock::time_point ready, size_t size) {
  std::lock_guard<std::mutex> lock(linkMutex_);
  const auto start = std::max(ready, linkFree_);
  linkFree_ = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(size / shape_.downBytesPerSecond));
  return linkFree_;
}

// A reader queues what arrives with its due time; this thread's writer sends it when due.
void DelayProxy::Relay(int from, int to, bool down) {
  Pipe pipe;
  std::thread writer([&] {
    for (;;) {
      std::unique_lock<std::mutex> lock(pipe.mutex);
      pipe.changed.wait(lock, [&] { return pipe.closed || !pipe.chunks.empty(); });
      if (pipe.chunks.empty()) break;
      auto [due, bytes] = std::move(pipe.chunks.front());
      pipe.chunks.pop_front();
      lock.unlock();
      // The shared downstream is taken only once the chunk has crossed the delay: a chunk that
      // booked it while still in flight would leave it idle meanwhile for everyone else.
      std::this_thread::sleep_until(due);
      if (down) std::this_thread::sleep_until(Transmit(due, bytes.size()));
      if (!SendAll(to, bytes.data(), bytes.size())) break;
      if (down) bytesDown_ += bytes.size();
    }
    ::shutdown(to, SHUT_WR);
  });
  std::string buffer(kChunk, '\0');
  for (;;) {
    const ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
    if (n <= 0) break;
    std::lock_guard<std::mutex> lock(pipe.mutex);
    pipe.chunks.emplace_back(Clock::now() + shape_.roundTrip / 2, buffer.substr(0, static_cast<size_t>(n)));
    pipe.changed.notify_one();
  }
  {
    std::lock_guard<std::mutex> lock(pipe.mutex);
    pipe.closed = true;
    pipe.changed.notify_one();
  }
  writer.join();
}

}  // namespace bench
