// A sprite sheet held as a GDI+ bitmap and cut into equal frames (see skin/Geometry.h).
#pragma once

#include <memory>

#include "skin/Geometry.h"
#include "skin/gdiplus/GdiplusSession.h"

namespace skin {

using ImagePtr = std::unique_ptr<Gdiplus::Bitmap>;

class ImageStrip {
 public:
  ImageStrip() = default;
  // Takes the image; one frame covering all of it.
  explicit ImageStrip(ImagePtr image);

  // Cuts the sheet into a grid; a zero column or row count is taken as 1.
  void SetGrid(unsigned columns, unsigned rows, unsigned frameCount);

  bool HasImage() const { return image_ != nullptr; }
  Gdiplus::Bitmap* Image() const { return image_.get(); }
  int Width() const { return grid_.bounds.width; }
  int Height() const { return grid_.bounds.height; }
  unsigned FrameCount() const { return grid_.frameCount; }
  Rect FrameRect(unsigned n) const { return grid_.FrameRect(n); }

 private:
  ImagePtr image_;
  FrameGrid grid_;
};

// Draws frame n of the strip scaled into the destination; frame 0 or a number beyond the count
// draws the whole sheet. Pixels are taken from the nearest source pixel, so a frame never
// blends in its neighbours. False when the strip has no image or GDI+ reports an error (the
// status also stays on the graphics object).
bool DrawFrame(Gdiplus::Graphics& g, const ImageStrip& strip, unsigned n, const Rect& dest);
bool DrawFrame(Gdiplus::Graphics& g, const ImageStrip& strip, unsigned n, const Edges& dest);

// Replaces (0, 0, width, height) of the graphics with the region at `from` of the strip's
// image, unscaled: how a control fakes transparency over its owner's background.
void CopyRegion(Gdiplus::Graphics& g, const ImageStrip& strip, int fromX, int fromY, int width,
                int height);

// Draws the whole image at (x, y), pixel for pixel, blended over what is there.
void DrawUnscaled(Gdiplus::Graphics& g, Gdiplus::Image& image, int x, int y);

}  // namespace skin
