#include "skin/ImageStrip.h"

namespace skin {
namespace {

// Integer placement without resampling: whole source pixels land on whole target pixels.
class PixelExact {
 public:
  explicit PixelExact(Gdiplus::Graphics& g) : g_(g), state_(g.Save()) {
    g_.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g_.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  }
  ~PixelExact() { g_.Restore(state_); }
  PixelExact(const PixelExact&) = delete;
  PixelExact& operator=(const PixelExact&) = delete;

 private:
  Gdiplus::Graphics& g_;
  Gdiplus::GraphicsState state_;
};

}  // namespace

int ImageWidth(Bitmap* image) {
  return image && image->GetLastStatus() == Gdiplus::Ok ? static_cast<int>(image->GetWidth()) : 0;
}

int ImageHeight(Bitmap* image) {
  return image && image->GetLastStatus() == Gdiplus::Ok ? static_cast<int>(image->GetHeight()) : 0;
}

bool DrawFrame(Canvas g, const ImageStrip& strip, unsigned n, const Rect& dest) {
  const Rect src = strip.FrameRect(n);
  if (!strip.HasImage() || src.width <= 0 || src.height <= 0) return false;
  if (dest.width <= 0 || dest.height <= 0) return true;  // nothing to cover
  PixelExact exact(g);
  return g.DrawImage(strip.Image(), Gdiplus::Rect(dest.x, dest.y, dest.width, dest.height), src.x,
                     src.y, src.width, src.height, Gdiplus::UnitPixel) == Gdiplus::Ok;
}

void CopyRegion(Canvas g, const ImageStrip& strip, int fromX, int fromY, int width,
                int height) {
  if (!strip.HasImage()) return;
  PixelExact exact(g);
  g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
  g.DrawImage(strip.Image(), Gdiplus::Rect(0, 0, width, height), fromX, fromY, width, height,
              Gdiplus::UnitPixel);
}

void DrawUnscaled(Gdiplus::Graphics& g, Gdiplus::Image& image, int x, int y) {
  PixelExact exact(g);
  const int w = static_cast<int>(image.GetWidth());
  const int h = static_cast<int>(image.GetHeight());
  g.DrawImage(&image, Gdiplus::Rect(x, y, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
}

}  // namespace skin
