// Hands the files of a download out to several workers: in list order, each once, and a file
// that must not share the download directory with others (its names collide with another
// file's) only while nothing else is in flight. After a failure nothing more is handed out.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>

namespace updater {

class TransferQueue {
 public:
  // `alone(i)` says whether item i must run with no other in flight.
  TransferQueue(size_t count, std::function<bool(size_t)> alone);

  // The next item, once it may start; nullopt when none is left or the queue stopped.
  // `started` runs under the queue's lock, so what it posts comes in the order of the items.
  std::optional<size_t> Take(const std::function<void(size_t)>& started);
  // An item taken earlier has ended; `ended` runs under the queue's lock.
  void Finish(const std::function<void()>& ended);
  // Hands out nothing more; items in flight run to their end.
  void Stop();

 private:
  bool MayStart() const;

  const size_t count_;
  const std::function<bool(size_t)> alone_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;
  size_t inFlight_ = 0;
  bool aloneRunning_ = false;
  bool stopped_ = false;
};

}  // namespace updater
