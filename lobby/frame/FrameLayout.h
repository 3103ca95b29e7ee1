// Where everything of the lobby frame goes, computed from the movie size and the artwork sizes.
#pragma once

#include "skin/Geometry.h"

namespace lobby {

struct Point {
  int x = 0;
  int y = 0;
};

// Sizes of the artwork the layout depends on (frame widths of the button strips).
struct ArtworkSizes {
  int titleHeight = 35;  // the title-strip fill
  int closeWidth = 24;
  int minimizeWidth = 24;
  int serviceWidth = 56;
  int proposalWidth = 56;
  int separatorWidth = 5;
  int noticeWidth = 380;
  int noticeHeight = 193;
};

struct FrameLayout {
  skin::Rect window;  // (0, 0, width, height + title)
  skin::Rect movie;   // (0, title, width, height)
  Point close, minimize, service, separator, proposal;
  Point notice, download, noticeText;
};

// A configured size that is missing or absurd falls back to this.
inline constexpr int kDefaultMovieWidth = 800;
inline constexpr int kDefaultMovieHeight = 600;
inline constexpr int kMaxMovieSide = 8192;

FrameLayout ComputeLayout(int movieWidth, int movieHeight, const ArtworkSizes& art);

}  // namespace lobby
