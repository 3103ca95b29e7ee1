#include "skin/PngResource.h"

#include <gio/gio.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/FileRead.h"
#include "skin/cairo/PngFile.h"
#include "text/Text.h"

namespace skin {
namespace {

struct ByteReader {
  const unsigned char* data;
  size_t size;
  size_t pos;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<ByteReader*>(closure);
  if (reader->size - reader->pos < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data + reader->pos, length);
  reader->pos += length;
  return CAIRO_STATUS_SUCCESS;
}

// Callers test for null only, so a failed decode is reported as no image.
SurfacePtr NullIfFailed(cairo_surface_t* surface) {
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return SurfacePtr(surface);
}

SurfacePtr LoadBundled(const std::string& path) {
  GBytes* bytes = g_resources_lookup_data(path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
  if (!bytes) return nullptr;
  gsize size = 0;
  const auto* data = static_cast<const unsigned char*>(g_bytes_get_data(bytes, &size));
  ByteReader reader{data, size, 0};
  SurfacePtr image = NullIfFailed(cairo_image_surface_create_from_png_stream(ReadBytes, &reader));
  g_bytes_unref(bytes);
  return image;
}

std::string BundlePath(unsigned id, std::string_view type, const char* suffix) {
  return "/zemba/" + text::AsciiLower(type) + "/" + std::to_string(id) + suffix + ".png";
}

}  // namespace

ImagePtr LoadPngResource(unsigned id, std::string_view type) {
  return LoadBundled(BundlePath(id, type, ""));
}

ImageStrip LoadPngStrip(unsigned id, std::string_view type) {
  ImageStrip strip(LoadPngResource(id, type));
  SurfacePtr sharp = LoadBundled(BundlePath(id, type, "@2x"));
  // Two device pixels per pixel: it draws at the resource's own size, at full resolution.
  if (sharp) cairo_surface_set_device_scale(sharp.get(), 2, 2);
  strip.AddSharpImage(std::move(sharp));
  return strip;
}

SurfacePtr LoadPngFile(const char* path) {
  std::optional<std::string> bytes = platform::ReadRegularFile(path, kMaxPngFileBytes);
  if (!bytes) return nullptr;
  ByteReader reader{reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size(), 0};
  return NullIfFailed(cairo_image_surface_create_from_png_stream(ReadBytes, &reader));
}

}  // namespace skin
