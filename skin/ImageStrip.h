// A sprite sheet held as an image of the drawing library and cut into equal frames (see
// skin/Geometry.h). Declared once for both backends; each backend folder defines the drawing.
#pragma once

#include "skin/Backend.h"
#include "skin/Geometry.h"

namespace skin {

class ImageStrip {
 public:
  ImageStrip() = default;
  // Takes the image; one frame covering all of it.
  explicit ImageStrip(ImagePtr image);

  // Cuts the sheet into a grid; a zero column or row count is taken as 1.
  void SetGrid(unsigned columns, unsigned rows, unsigned frameCount);

  // The same sheet drawn at a higher resolution (an image that knows its device pixels per
  // pixel, such as the 2x artwork): a canvas denser than the sheet draws from it. Refused (false)
  // without a sheet or when it does not measure what the sheet measures.
  bool AddSharpImage(ImagePtr image);

  bool HasImage() const { return image_ != nullptr; }
  Bitmap* Image() const { return image_.get(); }
  // The sharp drawing, or null.
  Bitmap* SharpImage() const { return sharp_.get(); }
  int Width() const { return grid_.bounds.width; }
  int Height() const { return grid_.bounds.height; }
  unsigned Columns() const { return grid_.columns; }
  unsigned FrameCount() const { return grid_.frameCount; }

  // Source rectangle of frame n (1-based); the whole image for 0 or beyond the count.
  Rect FrameRect(unsigned n) const { return grid_.FrameRect(n); }

 private:
  ImagePtr image_;
  ImagePtr sharp_;
  FrameGrid grid_;
};

// Width and height of an image in pixels (not device pixels: a 2x drawing of a 24-pixel button
// measures 24); 0 for none or one that failed to load.
int ImageWidth(Bitmap* image);
int ImageHeight(Bitmap* image);

// Draws frame n of the strip scaled into the destination; frame 0 or a number beyond the
// count draws the whole sheet. A scaled frame never blends in its neighbours' pixels. A canvas
// denser than the sheet draws from its sharp drawing when it has one. False
// when the strip has no image or the drawing library reports an error (the error also stays
// on the canvas).
bool DrawFrame(Canvas canvas, const ImageStrip& strip, unsigned n, const Rect& dest);
bool DrawFrame(Canvas canvas, const ImageStrip& strip, unsigned n, const Edges& dest);

// Draws frame 1 of the strip unscaled with its top-left corner at (x, y); nothing without an
// image.
void DrawImageAt(Canvas canvas, const ImageStrip& strip, int x, int y);

// Replaces (0, 0, width, height) of the canvas with the region at `from` of the strip's image,
// unscaled: how a control fakes transparency over its owner's background. Like DrawFrame, a
// denser canvas copies from the sharp drawing when there is one.
void CopyRegion(Canvas canvas, const ImageStrip& strip, int fromX, int fromY, int width,
                int height);

}  // namespace skin
