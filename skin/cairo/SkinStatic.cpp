#include "skin/SkinStatic.h"

#include <pango/pangocairo.h>

#include "skin/cairo/BorderlessWindow.h"
#include "skin/cairo/SkinWidget.h"

namespace skin {
namespace {

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  static_cast<const CSkinStatic*>(self)->Paint(cr);
  return TRUE;
}

// A label is part of its owner's backdrop: a press on it drags the window as the backdrop does.
gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer) {
  GtkWidget* window = gtk_widget_get_toplevel(widget);
  if (gtk_widget_is_toplevel(window)) BeginDrag(window, event);
  return TRUE;
}

PangoAlignment PangoAlign(Align a) {
  switch (a) {
    case Align::kNear: return PANGO_ALIGN_LEFT;
    case Align::kCenter: return PANGO_ALIGN_CENTER;
    case Align::kFar: return PANGO_ALIGN_RIGHT;
  }
  return PANGO_ALIGN_LEFT;
}

double VerticalOffset(Align a, double boxHeight, double textHeight) {
  switch (a) {
    case Align::kNear: return 0;
    case Align::kCenter: return (boxHeight - textHeight) / 2;
    case Align::kFar: return boxHeight - textHeight;
  }
  return 0;
}

void SetArgbSource(cairo_t* cr, uint32_t argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                        (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

}  // namespace

CSkinStatic::~CSkinStatic() { detail::ReleaseWidget(widget_, this); }

GtkWidget* CSkinStatic::Create(GtkFixed* parent, int x, int y) {
  if (widget_) return widget_;
  widget_ = detail::MakeSkinWidget(parent, x, y, width_, height_, false);
  g_signal_connect(widget_, "draw", G_CALLBACK(OnDraw), this);
  gtk_widget_add_events(widget_, GDK_BUTTON_PRESS_MASK);
  g_signal_connect(widget_, "button-press-event", G_CALLBACK(OnPress), this);
  return widget_;
}

void CSkinStatic::SetFont(const FontFace* font) {
  font_.reset(font ? pango_font_description_copy(font) : nullptr);
  Changed();
}

void CSkinStatic::Paint(Canvas cr) const {
  if (width_ <= 0 || height_ <= 0) return;
  // At the canvas's device pixels per pixel: the text is laid out in pixels and drawn at the
  // screen's resolution.
  SurfacePtr bitmap = MakeArgbSurface(width_, height_, CanvasScale(cr));
  ContextPtr off(cairo_create(bitmap.get()));
  if (background_) CopyRegion(off.get(), *background_, backgroundX_, backgroundY_, width_, height_);
  PaintText(off.get());
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

void CSkinStatic::PaintText(Canvas cr) const {
  if (!font_ || !colour_ || text_.empty()) return;
  PangoLayout* layout = pango_cairo_create_layout(cr);
  const std::string utf8 = text::ToUtf8(text_);
  pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
  pango_layout_set_font_description(layout, font_.get());
  pango_layout_set_width(layout, static_cast<int>(box_.width * PANGO_SCALE));
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_alignment(layout, PangoAlign(horizontal_));
  int textWidth = 0;
  int textHeight = 0;
  pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
  cairo_save(cr);
  cairo_rectangle(cr, box_.x, box_.y, box_.width, box_.height);
  cairo_clip(cr);  // text never spills out of its box
  cairo_move_to(cr, box_.x, box_.y + VerticalOffset(vertical_, box_.height, textHeight));
  SetArgbSource(cr, *colour_);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

void CSkinStatic::Changed() {
  if (!widget_) return;
  gtk_widget_set_size_request(widget_, width_, height_);
  gtk_widget_queue_draw(widget_);
}

}  // namespace skin
