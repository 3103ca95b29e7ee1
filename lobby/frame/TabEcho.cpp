#include "lobby/frame/TabEcho.h"

namespace lobby {

// The press handed back is the very event the window passed to the movie: same key, same time.
bool TabEcho::IsEcho(const GdkEventKey& event, bool movieFocused) {
  const bool echo = pending_ && !movieFocused && event.time == movieTabTime_ &&
                    event.keyval == movieTabKey_;
  pending_ = movieFocused;
  movieTabTime_ = event.time;
  movieTabKey_ = event.keyval;
  return echo;
}

}  // namespace lobby
