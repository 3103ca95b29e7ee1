#include "lobby/frame/WindowPlacement.h"

namespace lobby {
namespace {

// Where a side of `size` starts on a span of the work area: centred when it fits, else at the
// span's `far` end or near end.
int Place(int size, int start, int span, bool alignFar) {
  if (size <= span) return start + (span - size) / 2;
  return alignFar ? start + span - size : start;
}

GdkMonitor* MonitorUnderPointer(GdkDisplay* display) {
  GdkSeat* seat = gdk_display_get_default_seat(display);
  GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
  if (!pointer) return nullptr;
  int x = 0, y = 0;
  gdk_device_get_position(pointer, nullptr, &x, &y);
  return gdk_display_get_monitor_at_point(display, x, y);
}

}  // namespace

std::optional<Point> FitToWorkArea(int width, int height, const skin::Rect& workArea) {
  if (workArea.width <= 0 || workArea.height <= 0) return std::nullopt;
  if (width <= workArea.width && height <= workArea.height) return std::nullopt;
  return Point{Place(width, workArea.x, workArea.width, true),
               Place(height, workArea.y, workArea.height, false)};
}

std::optional<skin::Rect> WorkAreaForNewWindow(GtkWidget* window) {
  GdkDisplay* display = gtk_widget_get_display(window);
  GdkMonitor* monitor = MonitorUnderPointer(display);
  if (!monitor) monitor = gdk_display_get_primary_monitor(display);
  if (!monitor && gdk_display_get_n_monitors(display) > 0) {
    monitor = gdk_display_get_monitor(display, 0);
  }
  if (!monitor) return std::nullopt;
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  return skin::Rect{area.x, area.y, area.width, area.height};
}

void PlaceOnScreen(GtkWidget* window, int width, int height) {
  std::optional<skin::Rect> area = WorkAreaForNewWindow(window);
  std::optional<Point> at = area ? FitToWorkArea(width, height, *area) : std::nullopt;
  if (!at) return;
  // GTK's centring keeps the top-left corner on screen, which pushes the buttons off it.
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_NONE);
  gtk_window_move(GTK_WINDOW(window), at->x, at->y);
}

}  // namespace lobby
