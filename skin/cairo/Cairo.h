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

// A transparent 32-bit ARGB image of the given size (the off-screen bitmap of every paint).
SurfacePtr MakeArgbSurface(int width, int height);

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
