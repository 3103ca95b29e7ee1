#include "skin/cairo/SkinButton.h"

#include "skin/cairo/SkinWidget.h"

namespace skin {

CSkinButton::State ButtonState(bool enabled, bool pressed, bool hovered) {
  if (!enabled) return CSkinButton::kDisabled;
  if (pressed) return CSkinButton::kPressed;
  return hovered ? CSkinButton::kHovered : CSkinButton::kNormal;
}

// Dots of whole pixels, every other one, so the ring looks the same at any button size and is
// never smeared by anti-aliasing.
void DrawFocusRing(cairo_t* cr, int width, int height) {
  if (width < 4 || height < 4) return;
  cairo_save(cr);
  cairo_set_source_rgba(cr, ((kFocusRingColor >> 16) & 0xFF) / 255.0,
                        ((kFocusRingColor >> 8) & 0xFF) / 255.0, (kFocusRingColor & 0xFF) / 255.0,
                        ((kFocusRingColor >> 24) & 0xFF) / 255.0);
  const int right = width - 2, bottom = height - 2;
  for (int x = 1; x <= right; x += 2) {
    cairo_rectangle(cr, x, 1, 1, 1);
    cairo_rectangle(cr, x, bottom, 1, 1);
  }
  for (int y = 3; y < bottom; y += 2) {
    cairo_rectangle(cr, 1, y, 1, 1);
    cairo_rectangle(cr, right, y, 1, 1);
  }
  cairo_fill(cr);
  cairo_restore(cr);
}

namespace {

bool IsActivationKey(guint keyval) {
  return keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter || keyval == GDK_KEY_ISO_Enter ||
         keyval == GDK_KEY_space || keyval == GDK_KEY_KP_Space;
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
  if (!IsActivationKey(event->keyval)) return FALSE;
  static_cast<CSkinButton*>(self)->Activate();
  return TRUE;
}

gboolean OnFocusChange(GtkWidget*, GdkEventFocus* event, gpointer self) {
  static_cast<CSkinButton*>(self)->SetFocused(event->in != 0);
  return FALSE;
}

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
                                     GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                     GDK_KEY_PRESS_MASK | GDK_FOCUS_CHANGE_MASK);
  // Reached by Tab only: a click leaves the keyboard where it was (with the movie).
  gtk_widget_set_can_focus(widget_, TRUE);
  g_signal_connect(widget_, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(widget_, "focus-in-event", G_CALLBACK(OnFocusChange), this);
  g_signal_connect(widget_, "focus-out-event", G_CALLBACK(OnFocusChange), this);
  g_signal_connect(widget_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(widget_, "enter-notify-event", G_CALLBACK(OnCrossing), this);
  g_signal_connect(widget_, "leave-notify-event", G_CALLBACK(OnCrossing), this);
  g_signal_connect(widget_, "button-press-event", G_CALLBACK(OnPress), this);
  g_signal_connect(widget_, "button-release-event", G_CALLBACK(OnRelease), this);
  gtk_widget_set_sensitive(widget_, enabled_);
  return widget_;
}

bool CSkinButton::SetImage(SurfacePtr image) { return SetImage(ImageStrip(std::move(image))); }

bool CSkinButton::SetImage(ImageStrip strip) {
  if (!strip_) {
    strip_.emplace(std::move(strip));
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

void CSkinButton::SetFocused(bool focused) {
  focused_ = focused;
  Invalidate();
}

void CSkinButton::Activate() {
  if (enabled_ && clicked_) clicked_();
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
    if (focused_) DrawFocusRing(cr, width_, height_);
    return;
  }
  SurfacePtr bitmap = MakeArgbSurface(width_, height_, CanvasScale(cr));
  ContextPtr off(cairo_create(bitmap.get()));
  CopyRegion(off.get(), *background_, backgroundX_, backgroundY_, width_, height_);
  DrawFrame(off.get(), *strip_, CurrentState(), whole);
  if (focused_) DrawFocusRing(off.get(), width_, height_);
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

void CSkinButton::Invalidate() {
  if (widget_) gtk_widget_queue_draw(widget_);
}

}  // namespace skin
