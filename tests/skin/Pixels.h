// Small helpers for pixel checks on cairo image surfaces.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "skin/cairo/Cairo.h"

namespace skintest {

// The premultiplied ARGB value of one pixel, as cairo stores it.
inline uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<const uint32_t*>(row)[x];
}

// A sheet of `count` columns, each `columnWidth` wide and filled with its own opaque colour.
inline skin::SurfacePtr ColumnSheet(const uint32_t* colours, int count, int columnWidth,
                                    int height) {
  skin::SurfacePtr s = skin::MakeArgbSurface(count * columnWidth, height);
  cairo_t* cr = cairo_create(s.get());
  for (int i = 0; i < count; ++i) {
    const uint32_t c = colours[i];
    cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                         (c & 0xFF) / 255.0);
    cairo_rectangle(cr, i * columnWidth, 0, columnWidth, height);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  return s;
}

inline skin::SurfacePtr SolidSurface(uint32_t argb, int width, int height) {
  return ColumnSheet(&argb, 1, width, height);
}

}  // namespace skintest
