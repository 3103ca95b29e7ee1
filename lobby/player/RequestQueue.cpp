#include "lobby/player/RequestQueue.h"

namespace lobby::player {

bool RequestQueue::Send(std::string request,
                        const std::function<void(const std::string&)>& deliver) {
  if (ready_) {
    deliver(request);
    return true;
  }
  if (queued_.size() >= kMaxQueued) return false;
  queued_.push_back(std::move(request));
  return true;
}

void RequestQueue::SetReady(const std::function<void(const std::string&)>& deliver) {
  if (ready_) return;
  ready_ = true;
  // Taken out before delivering: a delivery may itself send (it never re-enters the page
  // synchronously, but the order must hold if it ever did).
  std::deque<std::string> pending;
  pending.swap(queued_);
  for (const std::string& request : pending) deliver(request);
}

void RequestQueue::Reset() {
  queued_.clear();
  ready_ = false;
}

}  // namespace lobby::player
