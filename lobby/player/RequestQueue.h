// Host-to-movie requests made before the page can take them: kept in order and handed over
// once the page is ready, never dropped on the way. Bounded, so a movie that never becomes
// ready cannot make the host grow without end.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace lobby::player {

class RequestQueue {
 public:
  static constexpr size_t kMaxQueued = 256;

  // Sends at once when ready; otherwise queues. False when the queue is full.
  bool Send(std::string request, const std::function<void(const std::string&)>& deliver);
  // The page can take requests: everything queued goes out in order, then later ones directly.
  void SetReady(const std::function<void(const std::string&)>& deliver);
  // The page went away (a new document): later requests wait for the next one.
  void SetNotReady() { ready_ = false; }
  // A new movie: nothing queued for the old one is delivered to it.
  void Reset();

  bool Ready() const { return ready_; }
  size_t Queued() const { return queued_.size(); }

 private:
  std::deque<std::string> queued_;
  bool ready_ = false;
};

}  // namespace lobby::player
