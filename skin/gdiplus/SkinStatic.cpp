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

void CSkinStatic::SetFont(const FontFace* font) { font_.reset(font ? font->Clone() : nullptr); }

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
void CSkinStatic::Changed() {}

}  // namespace skin
