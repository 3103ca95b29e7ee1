// The cairo backend's types under the names the skin's shared headers use, owning handles for
// the cairo and Pango objects the skinned controls create, and its drawing helpers.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <memory>

namespace skin {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct FontDeleter {
  void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

using Canvas = cairo_t*;         // where a control paints
using Bitmap = cairo_surface_t;  // an image in memory
using ImagePtr = SurfacePtr;
using FontFace = PangoFontDescription;
using FontPtr = std::unique_ptr<PangoFontDescription, FontDeleter>;

// A transparent 32-bit ARGB image of width x height pixels (the off-screen bitmap of every
// paint), each pixel `scale` x `scale` device pixels: drawn on and painted in pixels, it keeps
// the detail of a HiDPI screen. A scale below 1 is taken as 1.
SurfacePtr MakeArgbSurface(int width, int height, int scale = 1);

// How many device pixels one pixel of the canvas covers, rounded up to a whole number (what the
// toolkit offers): 2 in a window on a screen of scale 2, 1 on a plain image.
int CanvasScale(cairo_t* cr);

// Paints a control (anything with Paint(cairo_t*) that paints at (0, 0)) with its top-left
// corner at (x, y) of the context.
template <typename Control>
void PaintAt(cairo_t* cr, const Control& control, int x, int y) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  control.Paint(cr);
  cairo_restore(cr);
}

}  // namespace skin
