#include "skin/cairo/ImageStrip.h"

namespace skin {

ImageStrip::ImageStrip(SurfacePtr image) : image_(std::move(image)) {
  grid_.bounds = Rect{0, 0, SurfaceWidth(image_.get()), SurfaceHeight(image_.get())};
}

void ImageStrip::SetGrid(unsigned columns, unsigned rows, unsigned frameCount) {
  grid_.Set(columns, rows, frameCount);
}

bool DrawFrame(cairo_t* cr, const ImageStrip& strip, unsigned n, const Rect& dest) {
  const Rect src = strip.FrameRect(n);
  if (!strip.HasImage() || src.width <= 0 || src.height <= 0) return false;
  if (dest.width <= 0 || dest.height <= 0) return true;  // nothing to cover
  cairo_save(cr);
  cairo_rectangle(cr, dest.x, dest.y, dest.width, dest.height);
  cairo_clip(cr);
  cairo_translate(cr, dest.x, dest.y);
  cairo_scale(cr, static_cast<double>(dest.width) / src.width,
              static_cast<double>(dest.height) / src.height);
  // A sub-surface with padded edges: a scaled frame must not blend in its neighbours' pixels.
  SurfacePtr frame(cairo_surface_create_for_rectangle(strip.Image(), src.x, src.y, src.width,
                                                      src.height));
  cairo_set_source_surface(cr, frame.get(), 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_restore(cr);
  return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

bool DrawFrame(cairo_t* cr, const ImageStrip& strip, unsigned n, const Edges& dest) {
  return DrawFrame(cr, strip, n,
                   Rect{dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top});
}

void CopyRegion(cairo_t* cr, const ImageStrip& strip, int fromX, int fromY) {
  if (!strip.HasImage()) return;
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, strip.Image(), -fromX, -fromY);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace skin
