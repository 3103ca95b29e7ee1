#include "platform/TransferPace.h"

namespace platform {

TransferPace::TransferPace(const HttpLimits& limits, Clock::time_point start)
    : limits_(limits), lastAlive_(start), windowStart_(start) {}

bool TransferPace::Keeps(uint64_t received, Clock::time_point now) {
  if (received != lastSeen_) {
    lastSeen_ = received;
    lastAlive_ = now;
  }
  if (now - lastAlive_ > std::chrono::milliseconds(limits_.stallMs)) return false;
  return FastEnough(received, now);
}

bool TransferPace::FastEnough(uint64_t received, Clock::time_point now) {
  if (limits_.minBytesPerSecond <= 0 || now - windowStart_ < std::chrono::milliseconds(limits_.rateWindowMs)) return true;
  const uint64_t floor = static_cast<uint64_t>(limits_.minBytesPerSecond) * static_cast<uint64_t>(limits_.rateWindowMs) / 1000;
  if (received - windowBytes_ < floor) return false;
  windowStart_ = now;
  windowBytes_ = received;
  return true;
}

}  // namespace platform
