// Version checks wait on the network for seconds; they run here, up to kWorkers at once on
// worker threads, so the lobby's main loop never freezes and one slow server does not hold up
// the checks behind it. Each check's answer comes back on the main loop, in the order the checks
// were asked for, whichever finished first.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace lobby {

class IFrameWindow;

class CheckQueue {
 public:
  // Work done off the main loop; it returns what to run on the main loop afterwards.
  using Work = std::function<std::function<void()>()>;
  // Starts `body` on a detached thread; false when no thread can be made.
  using ThreadStarter = std::function<bool(std::function<void()> body)>;

  // The default starter makes a std::thread.
  explicit CheckQueue(IFrameWindow& frame, ThreadStarter starter = {});
  // Stops taking work. Checks in progress end on their own; their answers are dropped.
  ~CheckQueue();
  CheckQueue(const CheckQueue&) = delete;
  CheckQueue& operator=(const CheckQueue&) = delete;

  // Checks that run at the same time.
  static constexpr size_t kWorkers = 4;
  // Work whose answer has not run yet never exceeds this.
  static constexpr size_t kMaxUnanswered = 256;

  // Queues `work`. When no worker thread runs and none can be made, runs it and its answer at
  // once: slower for the window, but the answer still comes and the lobby goes on. False, and
  // nothing queued or run, when kMaxUnanswered answers are still to come.
  bool Run(Work work);
  // Checks whose answers have not yet run on the main loop.
  size_t Unanswered() const;

  struct State;

 private:
  bool StartWorkerIfNeeded();

  std::shared_ptr<State> state_;
  std::shared_ptr<bool> alive_;
  ThreadStarter starter_;
};

}  // namespace lobby
