// The rules a transfer's body must keep, written once for every backend: nothing received for
// stallMs fails it, and so does an average below minBytesPerSecond over any rateWindowMs, so a
// dead or trickling server ends every transfer in bounded time.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/HttpRequest.h"

namespace platform {

class TransferPace {
 public:
  using Clock = std::chrono::steady_clock;

  TransferPace(const HttpLimits& limits, Clock::time_point start);

  // False once the transfer must fail; `received` is the running count of body bytes.
  bool Keeps(uint64_t received, Clock::time_point now);

 private:
  bool FastEnough(uint64_t received, Clock::time_point now);

  const HttpLimits& limits_;
  uint64_t lastSeen_ = 0;
  Clock::time_point lastAlive_;
  uint64_t windowBytes_ = 0;  // the count when the current rate window began
  Clock::time_point windowStart_;
};

}  // namespace platform
