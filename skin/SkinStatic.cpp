#include "skin/SkinStatic.h"

namespace skin {

void CSkinStatic::SetBackground(const ImageStrip* background, int x, int y) {
  background_ = background;
  backgroundX_ = x;
  backgroundY_ = y;
  Changed();
}

void CSkinStatic::SetText(text::WString text) {
  text_ = std::move(text);
  Changed();
}

void CSkinStatic::SetTextColor(uint32_t argb) {
  colour_ = argb;
  Changed();
}

void CSkinStatic::SetLayout(int width, int height, LayoutRect box, Align horizontal,
                            Align vertical) {
  width_ = width;
  height_ = height;
  box_ = box;
  horizontal_ = horizontal;
  vertical_ = vertical;
  Changed();
}

}  // namespace skin
