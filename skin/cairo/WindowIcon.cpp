#include "skin/cairo/WindowIcon.h"

namespace skin {

void SetWindowIcon(GtkWindow* window) {
  GError* error = nullptr;
  GdkPixbuf* icon = gdk_pixbuf_new_from_resource("/zemba/icon/128.png", &error);
  if (icon) {
    gtk_window_set_icon(window, icon);
    g_object_unref(icon);
  }
  g_clear_error(&error);
}

}  // namespace skin
