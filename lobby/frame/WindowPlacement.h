// Where the lobby window goes on a screen too small for it: the movie keeps its configured
// size, so the window may hang past an edge, but never past the one that holds its close and
// minimise buttons.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "lobby/frame/FrameLayout.h"
#include "skin/Geometry.h"

namespace lobby {

// The top-left corner for a window of this size on this work area, or nothing when the window
// fits and the usual centring applies. Too wide: its right end meets the work area's right
// edge (the left end hangs past the left edge); too tall: its top meets the work area's top.
// A side that fits is centred.
std::optional<Point> FitToWorkArea(int width, int height, const skin::Rect& workArea);

// The work area of the monitor the window will open on: the one under the pointer, as GTK
// centres a window there, else the primary monitor. Nothing without a monitor.
std::optional<skin::Rect> WorkAreaForNewWindow(GtkWidget* window);

// Moves a window that does not fit its work area to where FitToWorkArea says; leaves one that
// fits alone. Call before the window is shown.
void PlaceOnScreen(GtkWidget* window, int width, int height);

}  // namespace lobby
