#include "lobby/frame/WindowHiding.h"

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

namespace lobby {
namespace {

// The window's data that marks it vanished: the id of the handler that drops its input.
constexpr char kVanishedKey[] = "zemba-vanished";

// The empty input region keeps the pointer away, but a vanished window may still hold the
// keyboard focus, and a compositor may still ask it to close: both reach the top-level window
// before any of its widgets, and are dropped there. Key releases pass, so no key stays held down.
gboolean DropInputWhileVanished(GtkWidget*, GdkEvent* event, gpointer) {
  const GdkEventType type = gdk_event_get_event_type(event);
  return type == GDK_KEY_PRESS || type == GDK_DELETE;
}

void SetInputRegion(GtkWidget* window, bool none) {
  cairo_region_t* empty = none ? cairo_region_create() : nullptr;
  gtk_widget_input_shape_combine_region(window, empty);
  if (empty) cairo_region_destroy(empty);
}

void Vanish(GtkWidget* window) {
  if (HasVanished(window)) return;
  gtk_widget_set_opacity(window, 0.0);
  SetInputRegion(window, true);
  // GTK declared the window opaque when it was mapped; a compositor fills a transparent opaque
  // region with black.
  if (GdkWindow* surface = gtk_widget_get_window(window)) {
    gdk_window_set_opaque_region(surface, nullptr);
  }
  const gulong handler =
      g_signal_connect(window, "event", G_CALLBACK(DropInputWhileVanished), nullptr);
  g_object_set_data(G_OBJECT(window), kVanishedKey, GSIZE_TO_POINTER(handler));
}

void Reappear(GtkWidget* window) {
  const gulong handler = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(window), kVanishedKey));
  if (handler == 0) return;
  g_signal_handler_disconnect(window, handler);
  g_object_set_data(G_OBJECT(window), kVanishedKey, nullptr);
  SetInputRegion(window, false);
  gtk_widget_set_opacity(window, 1.0);
}

}  // namespace

HideWay HideWayFor(GtkWidget* window) {
#ifdef GDK_WINDOWING_WAYLAND
  if (GDK_IS_WAYLAND_DISPLAY(gtk_widget_get_display(window))) return HideWay::kVanish;
#endif
  (void)window;
  return HideWay::kUnmap;
}

void HideWindow(GtkWidget* window, HideWay way) {
  if (way == HideWay::kVanish) {
    Vanish(window);
  } else {
    gtk_widget_hide(window);
  }
}

void ShowHiddenWindow(GtkWidget* window, HideWay way) {
  if (way == HideWay::kVanish) {
    Reappear(window);
  } else {
    gtk_widget_show(window);
  }
  gtk_window_deiconify(GTK_WINDOW(window));
  gtk_window_present(GTK_WINDOW(window));
}

bool HasVanished(GtkWidget* window) {
  return g_object_get_data(G_OBJECT(window), kVanishedKey) != nullptr;
}

}  // namespace lobby
