// The progress window's artwork, where its pieces go (in pixels) and how its texts look: one
// layout for every window backend.
#pragma once

#include <cstdint>

#include "skin/Geometry.h"

namespace vendrel::layout {

// Resources of the program: the icon, and PNG images looked up under the type name "png".
inline constexpr unsigned kIconId = 128;
inline constexpr unsigned kBackgroundId = 129;  // 566 x 73, the whole window
inline constexpr unsigned kLeftCapId = 130;     // 8 x 18 each
inline constexpr unsigned kSegmentId = 131;
inline constexpr unsigned kRightCapId = 132;
inline constexpr const char* kImageType = "png";

// The window's size when the background image is missing.
inline constexpr int kDefaultWidth = 566;
inline constexpr int kDefaultHeight = 73;

// The bar: the left cap, up to 65 segments of 8 pixels, the right cap over the last one.
inline constexpr int kBarY = 29;
inline constexpr int kLeftCapX = 18;
inline constexpr int kFirstSegmentX = 26;
inline constexpr int kSegmentWidth = 8;
inline constexpr int kRightCapX = 538;

// The status line (left aligned) and the byte line (centred), both centred vertically.
inline constexpr skin::Rect kStatusBox{20, 0, 500, 28};
inline constexpr skin::Rect kBytesBox{0, 49, 566, 24};
inline constexpr const char* kFontFamily = "宋体";
inline constexpr double kFontPixels = 12.0;
inline constexpr uint32_t kTextColour = 0xFFFFFF78;  // ARGB

// How long the finished bar stays visible before the window closes by itself.
inline constexpr unsigned kDoneHoldMs = 400;
// A refused release: long enough to read the status line that says so.
inline constexpr unsigned kRefusedHoldMs = 3000;

inline constexpr int SegmentX(unsigned index) {
  return kFirstSegmentX + kSegmentWidth * static_cast<int>(index);
}

}  // namespace vendrel::layout
