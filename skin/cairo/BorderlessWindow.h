// What both programs' windows share: a borderless, fixed-size window the program paints itself,
// moved by dragging what it paints.
#pragma once

#include <gtk/gtk.h>

namespace skin {

// A top-level window without decorations, of a fixed size, centred, with the program's icon.
GtkWidget* MakeBorderlessWindow(const char* title, int width, int height);

// A drawing area of the given size that paints through `draw` ("draw" signal) and hands button
// presses to `press` ("button-press-event"), both called with `self`.
GtkWidget* MakePaintedArea(int width, int height, GCallback draw, GCallback press, gpointer self);

// Starts moving `window` with the pointer on a press of the primary button: how a window
// without a title bar is dragged. Other buttons and double clicks do nothing.
void BeginDrag(GtkWidget* window, const GdkEventButton* event);

}  // namespace skin
