// Fonts for the skinned labels.
#pragma once

#include "skin/Backend.h"

namespace skin {

// A regular font of the family (UTF-8) at a size in pixels. When the family is not installed
// (no "宋体" outside a Chinese system), an installed CJK face stands in. Null only when the
// drawing library fails.
FontPtr MakeFont(const char* family, double pixels);

}  // namespace skin
