// What the lobby core needs from the window that plays the movie. The window implements it;
// tests implement it with a recorder, so the protocol and the game commands run headless.
#pragma once

#include <string>

#include "text/Text.h"

namespace lobby {

// Window timers of the lobby frame.
inline constexpr int kTimerUpdateWait = 2001;  // an updater runs
inline constexpr int kTimerGameWait = 2002;    // a game runs
inline constexpr int kTimerFlashPoll = 2003;   // the movie player is missing
inline constexpr unsigned kWaitTimerPeriodMs = 1000;

class IMovieHost {
 public:
  virtual ~IMovieHost() = default;
  // Hands one invoke document to the movie; does nothing while no movie plays. The movie's
  // answer is never used.
  virtual void CallFunction(const text::WString& request) = 0;
  // Shows the window in its normal state, or hides it.
  virtual void ShowWindow(bool visible) = 0;
  // Starts (or restarts) a repeating timer; its ticks come back through the frame.
  virtual void StartTimer(int id, unsigned periodMs) = 0;
  virtual void StopTimer(int id) = 0;
  // Ends the lobby window.
  virtual void EndDialog() = 0;
  // Opens a web page in the user's browser. Only checked http and https addresses get here.
  virtual void OpenWebAddress(const std::string& uri) = 0;
};

}  // namespace lobby
