// PNG images compiled into the program: each executable links a GResource bundle that holds
// its artwork as /zemba/<type in lower case>/<id>.png.
#pragma once

#include <cstddef>
#include <string_view>

#include "skin/cairo/Cairo.h"

namespace skin {

// The resource with this numeric id and type name (matched without regard to case) as an
// image, or null when the bundle has no such resource or its bytes are not a PNG.
SurfacePtr LoadPngResource(unsigned id, std::string_view type = "PNG");

// The largest image file LoadPngFile reads.
inline constexpr size_t kMaxPngFileBytes = 16u << 20;

// A PNG file from disk (a configured logo, for instance); null when it cannot be read. It is
// read on the caller's thread without ever blocking on it: a pipe, a device or a file larger
// than kMaxPngFileBytes gives null.
SurfacePtr LoadPngFile(const char* path);

}  // namespace skin
