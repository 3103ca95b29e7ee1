// The GDI+ backend's types under the names the skin's shared headers use, and its drawing
// helpers.
#pragma once

#include <windows.h>
// windows.h first: the GDI+ headers build on its types.
#include <gdiplus.h>

#include <memory>

namespace skin {

using Canvas = Gdiplus::Graphics&;  // where a control paints
using Bitmap = Gdiplus::Bitmap;     // an image in memory
using ImagePtr = std::unique_ptr<Gdiplus::Bitmap>;
using FontFace = Gdiplus::Font;
using FontPtr = std::unique_ptr<Gdiplus::Font>;

// Paints a control (anything with Paint(Gdiplus::Graphics&) that paints at (0, 0)) with its
// top-left corner at (x, y) of the graphics.
template <typename Control>
void PaintAt(Gdiplus::Graphics& g, const Control& control, int x, int y) {
  const Gdiplus::GraphicsState state = g.Save();
  g.TranslateTransform(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y));
  control.Paint(g);
  g.Restore(state);
}

// Draws the whole image at (x, y), pixel for pixel, blended over what is there.
void DrawUnscaled(Gdiplus::Graphics& g, Gdiplus::Image& image, int x, int y);

}  // namespace skin
