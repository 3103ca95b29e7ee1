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

// The frame grid: the fixed distances of the title strip and the notice panel, in pixels.
inline constexpr int kTitleRightMargin = 10;  // right of the close button
inline constexpr int kWindowButtonTop = 5;    // minimise and close sit this far down the strip
inline constexpr int kWindowButtonsGap = 100;  // between the service button and minimise
inline constexpr Point kDownloadInNotice{145, 120};  // from the notice panel's top-left corner
inline constexpr Point kNoticeTextInNotice{96, 40};
inline constexpr int kNoticeTextWidth = 260;
inline constexpr int kNoticeTextHeight = 80;

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
