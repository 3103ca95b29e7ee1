// The progress window's artwork and its two text lines, loaded and laid out alike for both
// window backends; each backend paints them with its own drawing library.
#pragma once

#include "updater/Messages.h"
// Messages.h first: on Windows the skin brings in windows.h, which would turn WM_USER, a name
// Messages.h defines, into a macro.
#include "skin/ImageStrip.h"
#include "skin/SkinStatic.h"

namespace vendrel {

struct VendrelArtwork {
  // Loads the four images (a missing one leaves its strip empty) and sets up both lines over
  // the background. The lines point at the background, so the artwork never moves.
  VendrelArtwork();
  VendrelArtwork(const VendrelArtwork&) = delete;
  VendrelArtwork& operator=(const VendrelArtwork&) = delete;

  // The window's size: the background's, or the fixed size without it.
  int Width() const;
  int Height() const;

  skin::ImageStrip background;
  skin::ImageStrip leftCap;
  skin::ImageStrip segment;
  skin::ImageStrip rightCap;
  skin::CSkinStatic status;
  skin::CSkinStatic bytes;
};

}  // namespace vendrel
