// Fonts for the skinned labels on Windows.
#pragma once

#include <memory>

#include "skin/gdiplus/GdiplusSession.h"

namespace skin {

using FontPtr = std::unique_ptr<Gdiplus::Font>;

// A regular font of the family (UTF-8) at a size in pixels. When the family is not installed
// (no "宋体" outside a Chinese Windows, nor under Wine), the first installed face of a list of
// CJK families stands in, then the generic sans-serif face. Null only when GDI+ fails.
FontPtr MakeFont(const char* family, double pixels);

}  // namespace skin
