#include "skin/cairo/Cairo.h"

namespace skin {

SurfacePtr MakeArgbSurface(int width, int height) {
  return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

int SurfaceWidth(cairo_surface_t* surface) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return 0;
  return cairo_image_surface_get_width(surface);
}

int SurfaceHeight(cairo_surface_t* surface) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return 0;
  return cairo_image_surface_get_height(surface);
}

}  // namespace skin
