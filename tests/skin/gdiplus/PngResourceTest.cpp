// PNG resources of the test program (the updater's artwork) decoded by GDI+.
#include "skin/PngResource.h"

#include "GdiplusTest.h"

namespace {

TEST(GdiplusPngResource, FindsTheImageByIdWhateverTheCaseOfTheTypeName) {
  for (const char* type : {"png", "PNG", "Png"}) {
    skin::ImagePtr image = skin::LoadPngResource(129, type);
    ASSERT_NE(image, nullptr) << type;
    EXPECT_EQ(image->GetWidth(), 566u);
    EXPECT_EQ(image->GetHeight(), 73u);
  }
  skin::ImagePtr cap = skin::LoadPngResource(130);
  ASSERT_NE(cap, nullptr);
  EXPECT_EQ(cap->GetWidth(), 8u);
  EXPECT_EQ(cap->GetHeight(), 18u);
}

TEST(GdiplusPngResource, UnknownIdOrTypeGivesNoImage) {
  EXPECT_EQ(skin::LoadPngResource(999, "png"), nullptr);
  EXPECT_EQ(skin::LoadPngResource(129, "GIF"), nullptr);
}

TEST(GdiplusPngResource, DecodedImageKeepsItsPixelsAfterTheLoad) {
  // The stream behind the bitmap is released by the loader; the pixels must still be there.
  skin::ImagePtr image = skin::LoadPngResource(129, "png");
  ASSERT_NE(image, nullptr);
  const skin::ImageStrip strip(std::move(image));
  skin::ImagePtr copy(new Gdiplus::Bitmap(566, 73, PixelFormat32bppARGB));
  Gdiplus::Graphics g(copy.get());
  ASSERT_TRUE(skin::DrawFrame(g, strip, 1, skin::Rect{0, 0, 566, 73}));
  EXPECT_EQ(skintest::PixelAt(*copy, 300, 10) >> 24, 0xFFu) << "the background is opaque";
}

}  // namespace
