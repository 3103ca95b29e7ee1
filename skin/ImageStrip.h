// A sprite sheet cut into equal frames, numbered from 1 left to right, then top to bottom.
#pragma once

#include <cairo.h>

#include "skin/Cairo.h"

namespace skin {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A destination given by its edges rather than its size.
struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class ImageStrip {
 public:
  ImageStrip() = default;
  // Takes the image; one frame covering all of it.
  explicit ImageStrip(SurfacePtr image);

  // Cuts the sheet into a grid; a zero column or row count is taken as 1.
  void SetGrid(unsigned columns, unsigned rows, unsigned frameCount);

  bool HasImage() const { return image_ != nullptr; }
  cairo_surface_t* Image() const { return image_.get(); }
  const Rect& Bounds() const { return bounds_; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  unsigned Columns() const { return columns_; }
  unsigned Rows() const { return rows_; }
  unsigned FrameCount() const { return frameCount_; }

  // Source rectangle of frame n (1-based); the whole image for 0 or beyond the count.
  Rect FrameRect(unsigned n) const;

 private:
  SurfacePtr image_;
  Rect bounds_;
  unsigned columns_ = 1;
  unsigned rows_ = 1;
  unsigned frameCount_ = 1;
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
