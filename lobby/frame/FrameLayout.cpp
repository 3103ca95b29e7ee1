#include "lobby/frame/FrameLayout.h"

#include <algorithm>

namespace lobby {
namespace {

int SaneSide(int side, int fallback) { return side > 0 && side <= kMaxMovieSide ? side : fallback; }

}  // namespace

FrameLayout ComputeLayout(int movieWidth, int movieHeight, const ArtworkSizes& art) {
  const int w = SaneSide(movieWidth, kDefaultMovieWidth);
  const int h = SaneSide(movieHeight, kDefaultMovieHeight);
  const int title = art.titleHeight;
  FrameLayout l;
  l.window = {0, 0, w, h + title};
  l.movie = {0, title, w, h};
  // The title-strip buttons are laid from the right edge leftwards.
  int x = w - kTitleRightMargin;
  x -= art.closeWidth;
  l.close = {x, kWindowButtonTop};
  x -= art.minimizeWidth;
  l.minimize = {x, kWindowButtonTop};
  x -= kWindowButtonsGap + art.serviceWidth;
  l.service = {x, 0};
  x -= art.separatorWidth;
  l.separator = {x, 0};
  x -= art.proposalWidth;
  l.proposal = {x, 0};
  // The notice panel is centred on the movie size but measured from the window's top-left
  // corner; a movie smaller than the panel pins it to that corner.
  const int x0 = std::max(0, (w - art.noticeWidth) / 2);
  const int y0 = std::max(0, (h - art.noticeHeight) / 2);
  l.notice = {x0, y0};
  l.download = {x0 + kDownloadInNotice.x, y0 + kDownloadInNotice.y};
  l.noticeText = {x0 + kNoticeTextInNotice.x, y0 + kNoticeTextInNotice.y};
  return l;
}

}  // namespace lobby
