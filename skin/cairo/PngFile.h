// PNG files from disk (a configured logo, for instance): the lobby's, so Linux only.
#pragma once

#include <cstddef>

#include "skin/cairo/Cairo.h"

namespace skin {

// The largest image file LoadPngFile reads.
inline constexpr size_t kMaxPngFileBytes = 16u << 20;

// The PNG file as an image; null when it cannot be read. It is read on the caller's thread
// without ever blocking on it: a pipe, a device or a file larger than kMaxPngFileBytes gives
// null.
SurfacePtr LoadPngFile(const char* path);

}  // namespace skin
