// A text label painted over a copy of its owner's background, so it blends with the artwork.
// Without a font or a colour it paints no text. It has no window of its own: the owner paints
// it as part of its own double-buffered paint.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/Geometry.h"
#include "skin/gdiplus/Font.h"
#include "skin/gdiplus/ImageStrip.h"
#include "text/Text.h"

namespace skin {

class CSkinStatic {
 public:
  CSkinStatic();
  ~CSkinStatic();
  CSkinStatic(const CSkinStatic&) = delete;
  CSkinStatic& operator=(const CSkinStatic&) = delete;

  // The owner's composed background (not owned; must outlive the painting) and where the
  // label sits in it.
  void SetBackground(const ImageStrip* background, int x, int y);
  void SetText(text::WString text) { text_ = std::move(text); }
  const text::WString& Text() const { return text_; }
  // Keeps a copy; the caller keeps its own.
  void SetFont(const Gdiplus::Font* font);
  void SetTextColor(uint32_t argb);
  // Size of the label, where the text goes inside it, and how it is aligned there.
  void SetLayout(int width, int height, LayoutRect box, Align horizontal, Align vertical);

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Paints at (0, 0) of the graphics through an off-screen bitmap of the label's size: the
  // background region first, then the text.
  void Paint(Gdiplus::Graphics& g) const;

 private:
  void PaintText(Gdiplus::Graphics& g) const;

  const ImageStrip* background_ = nullptr;
  int backgroundX_ = 0;
  int backgroundY_ = 0;
  int width_ = 0;
  int height_ = 0;
  text::WString text_;
  FontPtr font_;
  std::unique_ptr<Gdiplus::SolidBrush> brush_;
  std::unique_ptr<Gdiplus::StringFormat> format_;
  LayoutRect box_;
};

}  // namespace skin
