#include "skin/cairo/BorderlessWindow.h"

#include "skin/cairo/WindowIcon.h"

namespace skin {

GtkWidget* MakeBorderlessWindow(const char* title, int width, int height) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* w = GTK_WINDOW(window);
  gtk_window_set_title(w, title);
  gtk_window_set_decorated(w, FALSE);
  gtk_window_set_resizable(w, FALSE);
  gtk_window_set_default_size(w, width, height);
  gtk_window_set_position(w, GTK_WIN_POS_CENTER);
  SetWindowIcon(w);
  return window;
}

GtkWidget* MakePaintedArea(int width, int height, GCallback draw, GCallback press, gpointer self) {
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, width, height);
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
  g_signal_connect(area, "draw", draw, self);
  g_signal_connect(area, "button-press-event", press, self);
  return area;
}

void BeginDrag(GtkWidget* window, const GdkEventButton* event) {
  if (!window || event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) return;
  gtk_window_begin_move_drag(GTK_WINDOW(window), static_cast<int>(event->button),
                             static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                             event->time);
}

}  // namespace skin
