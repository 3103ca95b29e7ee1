// Internal to the skin library. The window behind a skinned control: a drawing area placed in the owner's fixed container.
#pragma once

#include <gtk/gtk.h>

namespace skin::detail {

// Creates the area at (x, y) with the given size, optionally showing the hand pointer over it.
// The caller holds a reference until ReleaseWidget.
GtkWidget* MakeSkinWidget(GtkFixed* parent, int x, int y, int width, int height, bool handCursor);

// Disconnects the control's handlers and drops its reference.
void ReleaseWidget(GtkWidget* widget, void* control);

}  // namespace skin::detail
