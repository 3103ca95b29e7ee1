// PNG images compiled into the program, found by numeric id and type name: on Linux a
// GResource bundle each executable links (/zemba/<type in lower case>/<id>.png), on Windows the
// executable's own resources.
#pragma once

#include <string_view>

#include "skin/Backend.h"
#include "skin/ImageStrip.h"

namespace skin {

// The resource with this numeric id and type name (matched without regard to case) as an
// image, or null when there is no such resource or its bytes are not an image the drawing
// library decodes. GDI+ needs its session.
ImagePtr LoadPngResource(unsigned id, std::string_view type = "PNG");

// The resource as a strip of one frame, with its drawing at twice the resolution as the sharp
// image where the program carries one (<id>@2x.png beside it); empty when LoadPngResource
// finds nothing.
ImageStrip LoadPngStrip(unsigned id, std::string_view type = "PNG");

}  // namespace skin
