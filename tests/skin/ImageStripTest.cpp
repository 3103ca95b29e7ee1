#include "skin/ImageStrip.h"

#include <gtest/gtest.h>

#include "Pixels.h"

namespace {

using skin::DrawFrame;
using skin::ImageStrip;
using skin::Rect;
using skintest::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr uint32_t kFour[] = {kRed, kGreen, kBlue, kWhite};

ImageStrip FourFrames() {
  ImageStrip strip(skintest::ColumnSheet(kFour, 4, 10, 6));
  strip.SetGrid(4, 1, 4);
  return strip;
}

TEST(ImageStripGrid, NewStripIsOneFrameOverTheWholeImage) {
  ImageStrip strip(skintest::SolidSurface(kRed, 30, 7));
  EXPECT_EQ(strip.FrameCount(), 1u);
  EXPECT_EQ(strip.Columns(), 1u);
  EXPECT_EQ(strip.Width(), 30);
  EXPECT_EQ(strip.Height(), 7);
}

TEST(ImageStripGrid, FramesRunLeftToRightThenTopToBottom) {
  ImageStrip strip(skintest::SolidSurface(kRed, 20, 12));
  strip.SetGrid(2, 3, 6);
  const Rect third = strip.FrameRect(3);
  EXPECT_EQ(third.x, 0);
  EXPECT_EQ(third.y, 4);
  EXPECT_EQ(third.width, 10);
  EXPECT_EQ(third.height, 4);
  const Rect sixth = strip.FrameRect(6);
  EXPECT_EQ(sixth.x, 10);
  EXPECT_EQ(sixth.y, 8);
}

TEST(ImageStripGrid, FrameZeroAndFramesBeyondTheCountAreTheWholeSheet) {
  const ImageStrip strip = FourFrames();
  for (unsigned n : {0u, 5u}) {
    const Rect r = strip.FrameRect(n);
    EXPECT_EQ(r.width, 40) << n;
    EXPECT_EQ(r.height, 6) << n;
  }
}

class DrawFrameTest : public ::testing::Test {
 protected:
  skin::SurfacePtr target = skin::MakeArgbSurface(40, 6);
  skin::ContextPtr cr{cairo_create(target.get())};
};

TEST_F(DrawFrameTest, FrameNumberPicksItsColumnScaledToTheDestination) {
  ASSERT_TRUE(DrawFrame(cr.get(), FourFrames(), 3, Rect{0, 0, 40, 6}));
  EXPECT_EQ(PixelAt(target.get(), 0, 0), kBlue);
  EXPECT_EQ(PixelAt(target.get(), 39, 5), kBlue);
}

TEST_F(DrawFrameTest, FrameZeroSqueezesTheWholeSheetIntoTheDestination) {
  ASSERT_TRUE(DrawFrame(cr.get(), FourFrames(), 0, Rect{0, 0, 20, 6}));
  EXPECT_EQ(PixelAt(target.get(), 1, 3), kRed);
  EXPECT_EQ(PixelAt(target.get(), 18, 3), kWhite);
  EXPECT_EQ(PixelAt(target.get(), 30, 3), 0u) << "nothing outside the destination";
}

TEST_F(DrawFrameTest, FrameBeyondTheCountSqueezesTheWholeSheetToo) {
  ASSERT_TRUE(DrawFrame(cr.get(), FourFrames(), 5, Rect{0, 0, 20, 6}));
  EXPECT_EQ(PixelAt(target.get(), 1, 3), kRed);
  EXPECT_EQ(PixelAt(target.get(), 8, 3), kGreen);
  EXPECT_EQ(PixelAt(target.get(), 18, 3), kWhite);
}

TEST_F(DrawFrameTest, EdgeFormDrawsLikeTheSizeForm) {
  ASSERT_TRUE(DrawFrame(cr.get(), FourFrames(), 2, skin::Edges{10, 1, 20, 5}));
  EXPECT_EQ(PixelAt(target.get(), 10, 1), kGreen);
  EXPECT_EQ(PixelAt(target.get(), 19, 4), kGreen);
  EXPECT_EQ(PixelAt(target.get(), 20, 3), 0u);
  EXPECT_EQ(PixelAt(target.get(), 15, 5), 0u);
}

TEST_F(DrawFrameTest, ScaledFrameDoesNotBlendInItsNeighbours) {
  ASSERT_TRUE(DrawFrame(cr.get(), FourFrames(), 2, Rect{0, 0, 40, 6}));
  EXPECT_EQ(PixelAt(target.get(), 0, 3), kGreen);
  EXPECT_EQ(PixelAt(target.get(), 39, 3), kGreen);
}

TEST_F(DrawFrameTest, StripWithoutImageDrawsNothingAndSaysSo) {
  EXPECT_FALSE(DrawFrame(cr.get(), ImageStrip(), 1, Rect{0, 0, 10, 6}));
  EXPECT_EQ(PixelAt(target.get(), 5, 3), 0u);
}

}  // namespace
