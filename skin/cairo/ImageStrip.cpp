#include "skin/ImageStrip.h"

namespace skin {
namespace {

// The sheet's drawing to draw on this canvas: the sharp one where the canvas has more device
// pixels per pixel than the sheet itself.
Bitmap* ImageFor(cairo_t* cr, const ImageStrip& strip) {
  if (!strip.SharpImage()) return strip.Image();
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(strip.Image(), &sx, &sy);
  return CanvasScale(cr) > sx ? strip.SharpImage() : strip.Image();
}

}  // namespace

bool DrawFrame(Canvas cr, const ImageStrip& strip, unsigned n, const Rect& dest) {
  const Rect src = strip.FrameRect(n);
  if (!strip.HasImage() || src.width <= 0 || src.height <= 0) return false;
  if (dest.width <= 0 || dest.height <= 0) return true;  // nothing to cover
  Bitmap* image = ImageFor(cr, strip);  // before the stretch below changes the canvas's scale
  cairo_save(cr);
  cairo_rectangle(cr, dest.x, dest.y, dest.width, dest.height);
  cairo_clip(cr);
  cairo_translate(cr, dest.x, dest.y);
  cairo_scale(cr, static_cast<double>(dest.width) / src.width,
              static_cast<double>(dest.height) / src.height);
  // A sub-surface with padded edges: a scaled frame must not blend in its neighbours' pixels.
  // The rectangle is in pixels; cairo maps it onto a sharp drawing's device pixels.
  SurfacePtr frame(
      cairo_surface_create_for_rectangle(image, src.x, src.y, src.width, src.height));
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
  cairo_set_source_surface(cr, ImageFor(cr, strip), -fromX, -fromY);
  // Whole pixels when a plain image lands on a denser canvas: smoothing would blend the
  // transparency beyond the image's edge into the copy's first row and column.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace skin
