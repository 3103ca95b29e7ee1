// The program icon (resource 128 of the program's bundle) on a top-level window.
#pragma once

#include <gtk/gtk.h>

namespace skin {

// Sets the icon when the bundle has one; a window without it keeps the default.
void SetWindowIcon(GtkWindow* window);

}  // namespace skin
