#include "skin/Font.h"

#include <string>

#include "text/Text.h"

namespace skin {
namespace {

// Faces that show Chinese text, in order of preference: Windows' own, then the free ones a
// Linux font directory gives Wine.
constexpr const wchar_t* kCjkFallbacks[] = {L"SimSun", L"NSimSun", L"Microsoft YaHei",
                                            L"WenQuanYi Zen Hei", L"Noto Sans CJK SC"};

FontPtr FontOf(const Gdiplus::FontFamily& family, double pixels) {
  FontPtr font(new Gdiplus::Font(&family, static_cast<Gdiplus::REAL>(pixels),
                                 Gdiplus::FontStyleRegular, Gdiplus::UnitPixel));
  if (font->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return font;
}

}  // namespace

FontPtr MakeFont(const char* family, double pixels) {
  const text::WString name = text::FromUtf8(family);
  const std::wstring wide(name.begin(), name.end());
  Gdiplus::FontFamily wanted(wide.c_str());
  if (wanted.IsAvailable()) return FontOf(wanted, pixels);
  for (const wchar_t* fallback : kCjkFallbacks) {
    Gdiplus::FontFamily face(fallback);
    if (face.IsAvailable()) return FontOf(face, pixels);
  }
  const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
  return generic ? FontOf(*generic, pixels) : nullptr;
}

}  // namespace skin
