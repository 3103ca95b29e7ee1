#include "skin/cairo/SkinWidget.h"

namespace skin::detail {
namespace {

void SetHandCursorOnRealize(GtkWidget* widget, gpointer) {
  GdkWindow* window = gtk_widget_get_window(widget);
  GdkCursor* cursor = gdk_cursor_new_for_display(gdk_window_get_display(window), GDK_HAND2);
  gdk_window_set_cursor(window, cursor);
  if (cursor) g_object_unref(cursor);
}

}  // namespace

GtkWidget* MakeSkinWidget(GtkFixed* parent, int x, int y, int width, int height, bool handCursor) {
  GtkWidget* widget = gtk_drawing_area_new();
  g_object_ref_sink(widget);
  gtk_widget_set_size_request(widget, width, height);
  if (handCursor) g_signal_connect(widget, "realize", G_CALLBACK(SetHandCursorOnRealize), nullptr);
  if (parent) gtk_fixed_put(parent, widget, x, y);
  return widget;
}

void ReleaseWidget(GtkWidget* widget, void* control) {
  if (!widget) return;
  g_signal_handlers_disconnect_by_data(widget, control);
  g_object_unref(widget);
}

}  // namespace skin::detail
