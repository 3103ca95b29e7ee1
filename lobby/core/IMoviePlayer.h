// The one thing the lobby core asks of the movie player: hand a message to the movie.
//
// One vocabulary across the lobby: the "movie player" ("player" for short) is what plays the
// lobby's movie; CFlashPlayer (lobby/frame) is it, named after the plug-in it stands in for, as
// are lobby/flash (the movie protocol) and the "Flash" in kTimerFlashPoll and IsFlashAvailable.
// The "player module" is the library it loads at run time (lobby/player), and the "view" is the
// one web view that module makes, in which the movie plays.
#pragma once

#include "text/Text.h"

namespace lobby {

class IMoviePlayer {
 public:
  virtual ~IMoviePlayer() = default;
  // Hands one invoke document to the movie; does nothing while no movie plays. The movie's
  // answer is never used. May run movie code that calls back into the core before it returns.
  virtual void CallFunction(const text::WString& request) = 0;
};

}  // namespace lobby
