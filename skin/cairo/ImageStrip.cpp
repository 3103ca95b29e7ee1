#include "skin/ImageStrip.h"

namespace skin {

bool DrawFrame(Canvas cr, const ImageStrip& strip, unsigned n, const Rect& dest) {
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

void CopyRegion(Canvas cr, const ImageStrip& strip, int fromX, int fromY, int width,
                int height) {
  if (!strip.HasImage()) return;
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, strip.Image(), -fromX, -fromY);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace skin
