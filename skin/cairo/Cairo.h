// Owning handles for the cairo objects the skinned controls create.
#pragma once

#include <cairo.h>

#include <memory>

namespace skin {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// A transparent 32-bit ARGB image of the given size (the off-screen bitmap of every paint).
SurfacePtr MakeArgbSurface(int width, int height);

// Width and height of an image surface; 0 for a null or failed surface.
int SurfaceWidth(cairo_surface_t* surface);
int SurfaceHeight(cairo_surface_t* surface);

}  // namespace skin
