#include "updater/TransferQueue.h"

namespace updater {

TransferQueue::TransferQueue(size_t count, std::function<bool(size_t)> alone) : count_(count), alone_(std::move(alone)) {}

bool TransferQueue::MayStart() const {
  if (stopped_ || next_ >= count_) return true;  // the answer is known: nothing more
  if (aloneRunning_) return false;
  return inFlight_ == 0 || !alone_(next_);
}

std::optional<size_t> TransferQueue::Take(const std::function<void(size_t)>& started) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return MayStart(); });
  if (stopped_ || next_ >= count_) return std::nullopt;
  const size_t item = next_++;
  aloneRunning_ = alone_(item);
  ++inFlight_;
  if (started) started(item);
  return item;
}

void TransferQueue::Finish(const std::function<void()>& ended) {
  std::lock_guard<std::mutex> lock(mutex_);
  --inFlight_;
  aloneRunning_ = false;
  if (ended) ended();
  changed_.notify_all();
}

void TransferQueue::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  changed_.notify_all();
}

}  // namespace updater
