#include "skin/cairo/SkinButton.h"

#include "skin/cairo/SkinWidget.h"

namespace skin {

CSkinButton::State ButtonState(bool enabled, bool pressed, bool hovered) {
  if (!enabled) return CSkinButton::kDisabled;
  if (pressed) return CSkinButton::kPressed;
  return hovered ? CSkinButton::kHovered : CSkinButton::kNormal;
}

namespace {

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  static_cast<CSkinButton*>(self)->Paint(cr);
  return TRUE;
}

gboolean OnCrossing(GtkWidget*, GdkEventCrossing* event, gpointer self) {
  static_cast<CSkinButton*>(self)->SetHovered(event->type == GDK_ENTER_NOTIFY);
  return FALSE;
}

gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer self) {
  if (event->button != GDK_BUTTON_PRIMARY || event->type != GDK_BUTTON_PRESS) return FALSE;
  static_cast<CSkinButton*>(self)->SetPressed(true);
  return TRUE;
}

gboolean OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self) {
  if (event->button != GDK_BUTTON_PRIMARY) return FALSE;
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  const bool inside = event->x >= 0 && event->y >= 0 && event->x < a.width && event->y < a.height;
  static_cast<CSkinButton*>(self)->Release(inside);
  return TRUE;
}

}  // namespace

CSkinButton::~CSkinButton() { detail::ReleaseWidget(widget_, this); }

GtkWidget* CSkinButton::Create(GtkFixed* parent, int x, int y) {
  if (widget_) return widget_;
  widget_ = detail::MakeSkinWidget(parent, x, y, width_, height_, true);
  gtk_widget_add_events(widget_, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK |
                                     GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  g_signal_connect(widget_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(widget_, "enter-notify-event", G_CALLBACK(OnCrossing), this);
  g_signal_connect(widget_, "leave-notify-event", G_CALLBACK(OnCrossing), this);
  g_signal_connect(widget_, "button-press-event", G_CALLBACK(OnPress), this);
  g_signal_connect(widget_, "button-release-event", G_CALLBACK(OnRelease), this);
  gtk_widget_set_sensitive(widget_, enabled_);
  return widget_;
}

bool CSkinButton::SetImage(SurfacePtr image) {
  if (!strip_) {
    strip_.emplace(std::move(image));
    strip_->SetGrid(4, 1, 4);
    width_ = static_cast<int>(static_cast<unsigned>(strip_->Width()) / 4u);
    height_ = strip_->Height();
  }
  if (widget_) gtk_widget_set_size_request(widget_, width_, height_);
  return true;
}

void CSkinButton::SetBackground(const ImageStrip* background, int x, int y) {
  background_ = background;
  backgroundX_ = x;
  backgroundY_ = y;
  Invalidate();
}

void CSkinButton::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (widget_) gtk_widget_set_sensitive(widget_, enabled);
  Invalidate();
}

void CSkinButton::SetHovered(bool hovered) {
  hovered_ = hovered;
  Invalidate();
}

void CSkinButton::SetPressed(bool pressed) {
  pressed_ = pressed;
  Invalidate();
}

void CSkinButton::Release(bool inside) {
  const bool wasPressed = pressed_;
  SetPressed(false);
  if (wasPressed && inside && enabled_ && clicked_) clicked_();
}

CSkinButton::State CSkinButton::CurrentState() const {
  return ButtonState(enabled_, pressed_, hovered_);
}

void CSkinButton::Paint(cairo_t* cr) const {
  if (!strip_) return;
  const Rect whole{0, 0, width_, height_};
  if (!background_) {
    DrawFrame(cr, *strip_, CurrentState(), whole);
    return;
  }
  SurfacePtr bitmap = MakeArgbSurface(width_, height_);
  ContextPtr off(cairo_create(bitmap.get()));
  CopyRegion(off.get(), *background_, backgroundX_, backgroundY_, width_, height_);
  DrawFrame(off.get(), *strip_, CurrentState(), whole);
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

void CSkinButton::Invalidate() {
  if (widget_) gtk_widget_queue_draw(widget_);
}

}  // namespace skin
