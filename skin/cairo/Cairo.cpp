#include "skin/cairo/Cairo.h"

#include <algorithm>
#include <cmath>

#include "skin/ImageStrip.h"

namespace skin {
namespace {

// Past this the canvas is a zoom, not a screen; drawing bitmaps that dense gains nothing.
constexpr int kMaxCanvasScale = 8;

int SurfaceScale(cairo_surface_t* surface) {
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(surface, &sx, &sy);
  return std::max(1, static_cast<int>(std::lround(sx)));
}

}  // namespace

SurfacePtr MakeArgbSurface(int width, int height, int scale) {
  scale = std::clamp(scale, 1, kMaxCanvasScale);
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale));
  if (scale > 1) cairo_surface_set_device_scale(surface.get(), scale, scale);
  return surface;
}

int CanvasScale(cairo_t* cr) {
  // The transformation's own scale (a zoom) times the surface's device scale (the screen's).
  double dx = 1, dy = 0;
  cairo_user_to_device_distance(cr, &dx, &dy);
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(cairo_get_group_target(cr), &sx, &sy);
  const double scale = std::hypot(dx, dy) * sx;
  // A hair over a whole number is that number, not the next.
  return std::clamp(static_cast<int>(std::ceil(scale - 1e-3)), 1, kMaxCanvasScale);
}

int ImageWidth(Bitmap* image) {
  if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return 0;
  return cairo_image_surface_get_width(image) / SurfaceScale(image);
}

int ImageHeight(Bitmap* image) {
  if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return 0;
  return cairo_image_surface_get_height(image) / SurfaceScale(image);
}

}  // namespace skin
