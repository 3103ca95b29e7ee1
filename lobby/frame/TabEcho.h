// A Tab that leaves the movie must move the focus once. The web engine moves the focus out of
// the page itself when Tab passes the page's last control, and then hands the same key press
// back to the window as one the page did not use, which would move the focus a second time
// (past the first title-strip button).
#pragma once

#include <gtk/gtk.h>

namespace lobby {

class TabEcho {
 public:
  // Called for every Tab press the window sees. True when this press is the one the movie
  // already acted on, coming back: the window must drop it.
  bool IsEcho(const GdkEventKey& event, bool movieFocused);

 private:
  guint32 movieTabTime_ = 0;
  guint movieTabKey_ = 0;
  bool pending_ = false;
};

}  // namespace lobby
