// PNG images compiled into the program, found by numeric id and type name: on Linux a
// GResource bundle each executable links (/zemba/<type in lower case>/<id>.png), on Windows the
// executable's own resources.
#pragma once

#include <string_view>

#include "skin/Backend.h"

namespace skin {

// The resource with this numeric id and type name (matched without regard to case) as an
// image, or null when there is no such resource or its bytes are not an image the drawing
// library decodes. GDI+ needs its session.
ImagePtr LoadPngResource(unsigned id, std::string_view type = "PNG");

}  // namespace skin
