// A TCP relay on 127.0.0.1 that makes loopback look like a player's link: every byte waits
// half the round trip in each direction, and everything sent to the client shares one
// downstream of a fixed rate. One thread per direction of each connection; for benchmarks only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace bench {

struct LinkShape {
  std::chrono::milliseconds roundTrip{40};
  double downBytesPerSecond = 100e6 / 8;  // 100 Mbit/s
};

class DelayProxy {
 public:
  DelayProxy(uint16_t upstreamPort, LinkShape shape);
  ~DelayProxy();
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  uint16_t Port() const { return port_; }
  uint64_t BytesDown() const { return bytesDown_.load(); }

 private:
  struct Pipe;
  void AcceptLoop();
  void Relay(int from, int to, bool down);
  // When a chunk of `size` bytes that may leave at `ready` has crossed the shared downstream.
  std::chrono::steady_clock::time_point Transmit(std::chrono::steady_clock::time_point ready, size_t size);

  const uint16_t upstreamPort_;
  const LinkShape shape_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<uint64_t> bytesDown_{0};
  std::mutex linkMutex_;
  std::chrono::steady_clock::time_point linkFree_{};
  std::mutex threadsMutex_;
  std::vector<std::thread> threads_;
  std::vector<int> fds_;
  std::thread acceptor_;
};

}  // namespace bench
