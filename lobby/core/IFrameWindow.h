// What the lobby core needs from the frame window: timers, visibility, the end of the window,
// opening web pages and running work on the main loop. The GTK frame implements it; tests
// implement it with a recorder, so the protocol and the game commands run headless.
#pragma once

#include <functional>
#include <string>

namespace lobby {

// Timers of the lobby frame.
inline constexpr int kTimerUpdateWait = 2001;  // an updater runs
inline constexpr int kTimerGameWait = 2002;    // a game runs
inline constexpr int kTimerFlashPoll = 2003;   // the movie player is missing
inline constexpr unsigned kWaitTimerPeriodMs = 1000;
inline constexpr unsigned kFlashPollPeriodMs = 2000;

class IFrameWindow {
 public:
  virtual ~IFrameWindow() = default;
  // Shows the window in its normal state, or hides it.
  virtual void ShowWindow(bool visible) = 0;
  // Starts (or restarts) a repeating timer; its ticks come back through the frame.
  virtual void StartTimer(int id, unsigned periodMs) = 0;
  virtual void StopTimer(int id) = 0;
  // Ends the lobby window.
  virtual void EndDialog() = 0;
  // Opens a web page in the user's browser. Only checked http and https addresses get here.
  virtual void OpenWebAddress(const std::string& uri) = 0;
  // Any thread: runs `work` on the main loop later, in posting order. Work still queued when
  // the frame is gone is dropped.
  virtual void PostToMainLoop(std::function<void()> work) = 0;
};

}  // namespace lobby
