// The one thing the lobby core asks of the movie player: hand a message to the movie.
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
