#include "skin/ImageStrip.h"

namespace skin {

ImageStrip::ImageStrip(ImagePtr image) : image_(std::move(image)) {
  grid_.bounds = Rect{0, 0, ImageWidth(image_.get()), ImageHeight(image_.get())};
}

void ImageStrip::SetGrid(unsigned columns, unsigned rows, unsigned frameCount) {
  grid_.Set(columns, rows, frameCount);
}

bool ImageStrip::AddSharpImage(ImagePtr image) {
  if (!image_ || !image) return false;
  if (ImageWidth(image.get()) != Width() || ImageHeight(image.get()) != Height()) return false;
  sharp_ = std::move(image);
  return true;
}

bool DrawFrame(Canvas canvas, const ImageStrip& strip, unsigned n, const Edges& dest) {
  return DrawFrame(canvas, strip, n,
                   Rect{dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top});
}

void DrawImageAt(Canvas canvas, const ImageStrip& strip, int x, int y) {
  if (strip.HasImage()) DrawFrame(canvas, strip, 1, Rect{x, y, strip.Width(), strip.Height()});
}

}  // namespace skin
