// Work handed to the GTK main loop on behalf of one owner (a window) that may go first. Both
// programs' windows take their worker threads' messages this way.
#pragma once

#include <functional>
#include <memory>

namespace skin {

class MainLoopQueue {
 public:
  MainLoopQueue();
  // Work still queued is dropped, not run; it is freed when the main loop discards it.
  ~MainLoopQueue();
  MainLoopQueue(const MainLoopQueue&) = delete;
  MainLoopQueue& operator=(const MainLoopQueue&) = delete;

  // Any thread: runs `work` on the main loop later, in posting order, never inside Post itself.
  void Post(std::function<void()> work) const;

 private:
  // Shared with every queued piece of work; false once the owner is gone. Read and cleared on
  // the main loop only.
  std::shared_ptr<bool> alive_;
};

}  // namespace skin
