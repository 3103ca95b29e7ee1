#include "skin/SkinStatic.h"

#include <string>

namespace skin {
namespace {

Gdiplus::StringAlignment GdiplusAlign(Align a) {
  switch (a) {
    case Align::kNear: return Gdiplus::StringAlignmentNear;
    case Align::kCenter: return Gdiplus::StringAlignmentCenter;
    case Align::kFar: return Gdiplus::StringAlignmentFar;
  }
  return Gdiplus::StringAlignmentNear;
}

}  // namespace

CSkinStatic::~CSkinStatic() = default;

void CSkinStatic::SetBackground(const ImageStrip* background, int x, int y) {
  background_ = background;
  backgroundX_ = x;
  backgroundY_ = y;
}

void CSkinStatic::SetText(text::WString text) { text_ = std::move(text); }

void CSkinStatic::SetFont(const FontFace* font) { font_.reset(font ? font->Clone() : nullptr); }

void CSkinStatic::SetTextColor(uint32_t argb) { colour_ = argb; }

void CSkinStatic::SetLayout(int width, int height, LayoutRect box, Align horizontal,
                            Align vertical) {
  width_ = width;
  height_ = height;
  box_ = box;
  horizontal_ = horizontal;
  vertical_ = vertical;
}

void CSkinStatic::Paint(Canvas g) const {
  if (width_ <= 0 || height_ <= 0) return;
  Gdiplus::Bitmap bitmap(width_, height_, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics off(&bitmap);
    if (background_) CopyRegion(off, *background_, backgroundX_, backgroundY_, width_, height_);
    PaintText(off);
  }
  DrawUnscaled(g, bitmap, 0, 0);
}

void CSkinStatic::PaintText(Canvas g) const {
  if (!font_ || !colour_ || text_.empty()) return;
  const std::wstring wide(text_.begin(), text_.end());
  const Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<Gdiplus::ARGB>(*colour_)));
  Gdiplus::StringFormat format(0, LANG_NEUTRAL);
  format.SetAlignment(GdiplusAlign(horizontal_));
  format.SetLineAlignment(GdiplusAlign(vertical_));
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  const Gdiplus::RectF layout(box_.x, box_.y, box_.width, box_.height);
  g.DrawString(wide.c_str(), static_cast<INT>(wide.size()), font_.get(), layout, &format, &brush);
}

// The label has no window of its own: the owner repaints it with its own paint.
void CSkinStatic::Invalidate() {}

}  // namespace skin
