#include "skin/Geometry.h"

#include <algorithm>

namespace skin {

void FrameGrid::Set(unsigned columnCount, unsigned rowCount, unsigned frames) {
  columns = std::max(columnCount, 1u);
  rows = std::max(rowCount, 1u);
  frameCount = frames;
}

Rect FrameGrid::FrameRect(unsigned n) const {
  if (n == 0 || n > frameCount) return bounds;
  const int w = bounds.width / static_cast<int>(columns);
  const int h = bounds.height / static_cast<int>(rows);
  const int column = static_cast<int>((n - 1) % columns);
  const int row = static_cast<int>((n - 1) / columns);
  return Rect{bounds.x + column * w, bounds.y + row * h, w, h};
}

}  // namespace skin
