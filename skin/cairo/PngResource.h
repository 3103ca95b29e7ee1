// PNG images compiled into the program: each executable links a GResource bundle that holds
// its artwork as /zemba/<type in lower case>/<id>.png.
#pragma once

#include <string_view>

#include "skin/cairo/Cairo.h"

namespace skin {

// The resource with this numeric id and type name (matched without regard to case) as an
// image, or null when the bundle has no such resource or its bytes are not a PNG.
SurfacePtr LoadPngResource(unsigned id, std::string_view type = "PNG");

// A PNG file from disk (a configured logo, for instance); null when it cannot be read.
SurfacePtr LoadPngFile(const char* path);

}  // namespace skin
