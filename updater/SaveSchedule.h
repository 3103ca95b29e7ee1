// When the resume log is saved again during the downloads. A save rewrites the whole log, so
// with a long list one save can take longer than the files between two saves: the pause after
// a save is at least a fixed multiple of what that save cost, and the save keeps a small share
// of the run whatever the list's length.
#pragma once

#include <algorithm>
#include <chrono>

namespace updater {

class SaveSchedule {
 public:
  using Clock = std::chrono::steady_clock;
  // At most this share of the time goes to saving: the pause is costFactor times the cost.
  static constexpr int kCostFactor = 20;

  SaveSchedule(std::chrono::milliseconds minimum, Clock::time_point start) : minimum_(minimum), last_(start) {}

  bool Due(Clock::time_point now) const {
    return now - last_ >= std::max<Clock::duration>(minimum_, kCostFactor * cost_);
  }
  // A save ran from `began` to `ended`.
  void Saved(Clock::time_point began, Clock::time_point ended) {
    cost_ = ended - began;
    last_ = ended;
  }

 private:
  std::chrono::milliseconds minimum_;
  Clock::time_point last_;
  Clock::duration cost_{};
};

}  // namespace updater
