// Frames of a GDI+ strip drawn scaled and unscaled, and regions copied from a background.
#include "skin/ImageStrip.h"

#include "GdiplusTest.h"

namespace {

using skin::ImageStrip;
using skintest::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;

ImageStrip FourFrames() {
  ImageStrip strip(skintest::ColumnSheet({kRed, kGreen, kBlue, kWhite}, 10, 6));
  strip.SetGrid(4, 1, 4);
  return strip;
}

TEST(GdiplusImageStrip, FrameIsDrawnScaledIntoTheDestinationWithoutItsNeighbours) {
  const ImageStrip strip = FourFrames();
  skin::ImagePtr target = skintest::SolidBitmap(kBlack, 40, 40);
  Gdiplus::Graphics g(target.get());
  ASSERT_TRUE(skin::DrawFrame(g, strip, 2, skin::Rect{5, 5, 30, 30}));
  // Wine's GDI+ may leave the first row and column of a scaled destination as they were, so
  // the edges are only required to show no neighbouring frame.
  for (int i = 0; i < 40; ++i) {
    const bool inside = i >= 6 && i < 35;
    EXPECT_EQ(PixelAt(*target, i, 20), inside ? kGreen : kBlack) << i;
    EXPECT_EQ(PixelAt(*target, 20, i), inside ? kGreen : kBlack) << i;
  }
  for (uint32_t edge : {PixelAt(*target, 5, 20), PixelAt(*target, 20, 5), PixelAt(*target, 34, 34)}) {
    EXPECT_TRUE(edge == kGreen || edge == kBlack) << std::hex << edge;
  }
}

TEST(GdiplusImageStrip, FrameZeroOrBeyondTheCountDrawsTheWholeSheet) {
  const ImageStrip strip = FourFrames();
  for (unsigned n : {0u, 5u}) {
    skin::ImagePtr target = skintest::SolidBitmap(kBlack, 20, 6);
    Gdiplus::Graphics g(target.get());
    ASSERT_TRUE(skin::DrawFrame(g, strip, n, skin::Edges{0, 0, 20, 6})) << n;
    EXPECT_EQ(PixelAt(*target, 0, 3), kRed) << n;
    EXPECT_EQ(PixelAt(*target, 19, 3), kWhite) << n;
  }
}

TEST(GdiplusImageStrip, StripWithoutAnImageDrawsNothing) {
  const ImageStrip empty;
  skin::ImagePtr target = skintest::SolidBitmap(kBlack, 4, 4);
  Gdiplus::Graphics g(target.get());
  EXPECT_FALSE(skin::DrawFrame(g, empty, 1, skin::Rect{0, 0, 4, 4}));
  EXPECT_EQ(PixelAt(*target, 1, 1), kBlack);
}

TEST(GdiplusImageStrip, CopyRegionReplacesPixelsEvenWithTransparentSource) {
  // Two columns: opaque blue, then fully transparent.
  const ImageStrip background(skintest::ColumnSheet({kBlue, 0x00000000}, 5, 5));
  skin::ImagePtr target = skintest::SolidBitmap(kRed, 5, 5);
  Gdiplus::Graphics g(target.get());
  skin::CopyRegion(g, background, 3, 0, 5, 5);
  EXPECT_EQ(PixelAt(*target, 0, 0), kBlue);
  EXPECT_EQ(PixelAt(*target, 1, 4), kBlue);
  EXPECT_EQ(PixelAt(*target, 2, 0) >> 24, 0u) << "copied, not blended over the red";
}

}  // namespace
