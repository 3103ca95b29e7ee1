// A text label painted over a copy of its owner's background, so it blends with the artwork.
// Without a font or a colour it paints no text. Painting works without a window. Declared once
// for both backends; each backend folder defines the painting.
#pragma once

#include <cstdint>
#include <optional>

#include "skin/Backend.h"
#include "skin/Geometry.h"
#include "skin/ImageStrip.h"
#include "text/Text.h"

#if !defined(_WIN32)
#include <gtk/gtk.h>
#endif

namespace skin {

class CSkinStatic {
 public:
  CSkinStatic() = default;
  ~CSkinStatic();
  CSkinStatic(const CSkinStatic&) = delete;
  CSkinStatic& operator=(const CSkinStatic&) = delete;

  // The owner's composed background (not owned; must outlive the painting) and where the
  // label sits in it.
  void SetBackground(const ImageStrip* background, int x, int y);
  void SetText(text::WString text);
  const text::WString& Text() const { return text_; }
  // Keeps a copy; the caller keeps its own.
  void SetFont(const FontFace* font);
  void SetTextColor(uint32_t argb);
  // Size of the label, where the text goes inside it, and how it is aligned there.
  void SetLayout(int width, int height, LayoutRect box, Align horizontal, Align vertical);

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Paints at (0, 0) of the canvas through an off-screen bitmap of the label's size (at the
  // canvas's device pixels per pixel): the background region first, then the text.
  void Paint(Canvas canvas) const;

#if !defined(_WIN32)
  // A window of its own, for the GTK frame. On Windows the owner paints the label as part of
  // its own double-buffered paint.
  // Creates the label's window inside the owner's fixed container at (x, y).
  GtkWidget* Create(GtkFixed* parent, int x, int y);
  GtkWidget* Widget() const { return widget_; }
#endif

 private:
  void PaintText(Canvas canvas) const;
  // The label's window, if it has one, takes its size and repaints.
  void Changed();

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
#if !defined(_WIN32)
  GtkWidget* widget_ = nullptr;
#endif
};

}  // namespace skin
