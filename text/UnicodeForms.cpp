#include "text/detail/UnicodeForms.h"

#include "text/CodePage.h"

namespace text::detail {

namespace {

uint32_t ReadUnit(std::string_view bytes, size_t at, size_t width, bool bigEndian) {
  uint32_t unit = 0;
  for (size_t b = 0; b < width; ++b) {
    unit = unit << 8 | static_cast<unsigned char>(bytes[at + (bigEndian ? b : width - 1 - b)]);
  }
  return unit;
}

}  // namespace

WString DecodeUnicodeForm(std::string_view bytes, int32_t codePage) {
  const bool utf16 = codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage;
  const size_t width = utf16 ? 2 : 4;
  const bool bigEndian = codePage == kUtf16BeCodePage || codePage == kUtf32BeCodePage;
  WString out;
  out.reserve(bytes.size() / width + 1);
  size_t i = 0;
  for (; i + width <= bytes.size(); i += width) {
    const uint32_t unit = ReadUnit(bytes, i, width, bigEndian);
    if (utf16) {
      out.push_back(static_cast<char16_t>(unit));
    } else {
      AppendUtf32Value(out, unit);
    }
  }
  if (i < bytes.size()) out.push_back(kReplacementCharacter);
  return out;
}

}  // namespace text::detail
