// PNG images compiled into the program's resources, found by numeric id and type name.
#pragma once

#include <string_view>

#include "skin/gdiplus/ImageStrip.h"

namespace skin {

// The resource of the running executable with this id and type name (matched without regard
// to case) as a bitmap, or null when there is no such resource or its bytes are not an image
// GDI+ can decode. Needs a GDI+ session.
ImagePtr LoadPngResource(unsigned id, std::string_view type = "PNG");

}  // namespace skin
