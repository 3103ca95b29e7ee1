// A sprite sheet held as a cairo surface and cut into equal frames (see skin/Geometry.h).
#pragma once

#include <cairo.h>

#include "skin/Geometry.h"
#include "skin/cairo/Cairo.h"

namespace skin {

class ImageStrip {
 public:
  ImageStrip() = default;
  // Takes the image; one frame covering all of it.
  explicit ImageStrip(SurfacePtr image);

  // Cuts the sheet into a grid; a zero column or row count is taken as 1.
  void SetGrid(unsigned columns, unsigned rows, unsigned frameCount);

  bool HasImage() const { return image_ != nullptr; }
  cairo_surface_t* Image() const { return image_.get(); }
  int Width() const { return grid_.bounds.width; }
  int Height() const { return grid_.bounds.height; }
  unsigned Columns() const { return grid_.columns; }
  unsigned FrameCount() const { return grid_.frameCount; }

  // Source rectangle of frame n (1-based); the whole image for 0 or beyond the count.
  Rect FrameRect(unsigned n) const { return grid_.FrameRect(n); }

 private:
  SurfacePtr image_;
  FrameGrid grid_;
};

// Draws frame n of the strip scaled into the destination; frame 0 or a number beyond the
// count draws the whole sheet. False when the strip has no image or cairo reports an error
// (the error also stays on the context).
bool DrawFrame(cairo_t* cr, const ImageStrip& strip, unsigned n, const Rect& dest);
bool DrawFrame(cairo_t* cr, const ImageStrip& strip, unsigned n, const Edges& dest);

// Copies the region `from` of the strip's image to (0, 0) of the context, unscaled: how a
// control fakes transparency over its owner's background.
void CopyRegion(cairo_t* cr, const ImageStrip& strip, int fromX, int fromY);

}  // namespace skin
