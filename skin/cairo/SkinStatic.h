// A text label painted over a copy of its owner's background, so it blends with the artwork.
// Without a font or a colour it paints no text. Painting works without a window.
#pragma once

#include <gtk/gtk.h>
#include <pango/pango.h>

#include <cstdint>
#include <optional>

#include "skin/Geometry.h"
#include "skin/cairo/Cairo.h"
#include "skin/cairo/Font.h"
#include "skin/cairo/ImageStrip.h"
#include "text/Text.h"

namespace skin {

class CSkinStatic {
 public:
  CSkinStatic() = default;
  ~CSkinStatic();
  CSkinStatic(const CSkinStatic&) = delete;
  CSkinStatic& operator=(const CSkinStatic&) = delete;

  // Creates the label's window inside the owner's fixed container at (x, y).
  GtkWidget* Create(GtkFixed* parent, int x, int y);
  GtkWidget* Widget() const { return widget_; }

  void SetBackground(const ImageStrip* background, int x, int y);
  void SetText(text::WString text);
  const text::WString& Text() const { return text_; }
  // Keeps a copy; the caller keeps its own.
  void SetFont(const PangoFontDescription* font);
  void SetTextColor(uint32_t argb);
  // Size of the label, where the text goes inside it, and how it is aligned there.
  void SetLayout(int width, int height, LayoutRect box, Align horizontal, Align vertical);

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Paints at (0, 0) of the context: the background region first, then the text.
  void Paint(cairo_t* cr) const;
  void Invalidate();

 private:
  void PaintText(cairo_t* cr) const;

  const ImageStrip* background_ = nullptr;
  int backgroundX_ = 0;
  int backgroundY_ = 0;
  int width_ = 0;
  int height_ = 0;
  text::WString text_;
  FontPtr font_;
  std::optional<uint32_t> colour_;
  LayoutRect box_;
  Align horizontal_ = Align::kNear;
  Align vertical_ = Align::kNear;
  GtkWidget* widget_ = nullptr;
};

}  // namespace skin
