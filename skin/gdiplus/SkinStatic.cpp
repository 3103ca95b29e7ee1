#include "skin/gdiplus/SkinStatic.h"

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

CSkinStatic::CSkinStatic() : format_(new Gdiplus::StringFormat(0, LANG_NEUTRAL)) {}

CSkinStatic::~CSkinStatic() = default;

void CSkinStatic::SetBackground(const ImageStrip* background, int x, int y) {
  background_ = background;
  backgroundX_ = x;
  backgroundY_ = y;
}

void CSkinStatic::SetFont(const Gdiplus::Font* font) {
  font_.reset(font ? font->Clone() : nullptr);
}

void CSkinStatic::SetTextColor(uint32_t argb) {
  const Gdiplus::Color colour(static_cast<Gdiplus::ARGB>(argb));
  if (brush_) {
    brush_->SetColor(colour);
  } else {
    brush_ = std::make_unique<Gdiplus::SolidBrush>(colour);
  }
}

void CSkinStatic::SetLayout(int width, int height, LayoutRect box, Align horizontal,
                            Align vertical) {
  width_ = width;
  height_ = height;
  box_ = box;
  format_->SetAlignment(GdiplusAlign(horizontal));
  format_->SetLineAlignment(GdiplusAlign(vertical));
}

void CSkinStatic::Paint(Gdiplus::Graphics& g) const {
  if (width_ <= 0 || height_ <= 0) return;
  Gdiplus::Bitmap bitmap(width_, height_, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics off(&bitmap);
    if (background_) CopyRegion(off, *background_, backgroundX_, backgroundY_, width_, height_);
    PaintText(off);
  }
  DrawUnscaled(g, bitmap, 0, 0);
}

void CSkinStatic::PaintText(Gdiplus::Graphics& g) const {
  if (!font_ || !brush_ || text_.empty()) return;
  const std::wstring wide(text_.begin(), text_.end());
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  const Gdiplus::RectF layout(box_.x, box_.y, box_.width, box_.height);
  g.DrawString(wide.c_str(), static_cast<INT>(wide.size()), font_.get(), layout, format_.get(),
               brush_.get());
}

}  // namespace skin
