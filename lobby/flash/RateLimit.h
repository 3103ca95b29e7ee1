// At most a number of events in any window of time: the ones past it are refused.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>

namespace lobby {

class RateLimit {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  RateLimit(size_t count, std::chrono::milliseconds window) : count_(count), window_(window) {}

  // True, and the event counted, when fewer than `count` events were allowed in the window
  // that ends at `now`.
  bool Allow(TimePoint now);

 private:
  size_t count_;
  std::chrono::milliseconds window_;
  std::deque<TimePoint> allowed_;
};

}  // namespace lobby
