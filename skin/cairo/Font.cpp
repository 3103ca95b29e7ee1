#include "skin/Font.h"

#include <string>

namespace skin {
namespace {

// The installed CJK face that stands in when a named family (such as "宋体") is missing.
constexpr const char* kCjkFallbackFamily = "WenQuanYi Zen Hei";

}  // namespace

FontPtr MakeFont(const char* family, double pixels) {
  FontPtr font(pango_font_description_new());
  const std::string families = std::string(family) + "," + kCjkFallbackFamily;
  pango_font_description_set_family(font.get(), families.c_str());
  pango_font_description_set_style(font.get(), PANGO_STYLE_NORMAL);
  pango_font_description_set_weight(font.get(), PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(font.get(), pixels * PANGO_SCALE);
  return font;
}

}  // namespace skin
