// Fonts for the skinned labels.
#pragma once

#include <pango/pango.h>

#include <memory>

namespace skin {

struct FontDeleter {
  void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};
using FontPtr = std::unique_ptr<PangoFontDescription, FontDeleter>;

// The installed CJK face that stands in when a named family (such as "宋体") is missing.
inline constexpr const char* kCjkFallbackFamily = "WenQuanYi Zen Hei";

// A regular font of the family at a size in pixels, with the CJK face behind it.
FontPtr MakeFont(const char* family, double pixels);

}  // namespace skin
