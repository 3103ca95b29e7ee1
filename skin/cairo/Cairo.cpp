#include "skin/cairo/Cairo.h"

#include "skin/ImageStrip.h"

namespace skin {

SurfacePtr MakeArgbSurface(int width, int height) {
  return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

int ImageWidth(Bitmap* image) {
  if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return 0;
  return cairo_image_surface_get_width(image);
}

int ImageHeight(Bitmap* image) {
  if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return 0;
  return cairo_image_surface_get_height(image);
}

}  // namespace skin
