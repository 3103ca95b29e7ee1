// The lobby's artwork bundle is linked into this test program.
#include "skin/PngResource.h"

#include <gtest/gtest.h>

#include "skin/ImageStrip.h"
#include "skin/cairo/PngFile.h"
#include "tests/support/FifoWriter.h"
#include "tests/support/TempDir.h"

namespace {

using skin::LoadPngResource;

struct Expected {
  unsigned id;
  int width;
  int height;
};

TEST(PngResource, EveryLobbyImageHasItsFixedSize) {
  const Expected all[] = {{130, 96, 24}, {131, 224, 35}, {132, 224, 35},  {133, 96, 24},
                          {134, 5, 35},  {135, 320, 35}, {136, 1, 35},    {138, 380, 193},
                          {139, 376, 36}};
  for (const Expected& e : all) {
    skin::SurfacePtr image = LoadPngResource(e.id);
    ASSERT_NE(image, nullptr) << e.id;
    EXPECT_EQ(skin::ImageWidth(image.get()), e.width) << e.id;
    EXPECT_EQ(skin::ImageHeight(image.get()), e.height) << e.id;
    EXPECT_EQ(cairo_image_surface_get_format(image.get()), CAIRO_FORMAT_ARGB32) << e.id;
  }
}

TEST(PngResource, TypeNameMatchesWithoutRegardToCase) {
  EXPECT_NE(LoadPngResource(131, "png"), nullptr);
  EXPECT_NE(LoadPngResource(131, "Png"), nullptr);
}

TEST(PngResource, MissingIdOrTypeGivesNull) {
  EXPECT_EQ(LoadPngResource(137), nullptr);
  EXPECT_EQ(LoadPngResource(131, "GIF"), nullptr);
}

TEST(PngResource, IconIsItsOwnType) {
  EXPECT_NE(LoadPngResource(128, "icon"), nullptr);
  EXPECT_EQ(LoadPngResource(128), nullptr);
}

// A logo that is a pipe would stall the lobby's start for as long as nobody writes to it: it is
// never opened to wait. (A writer stands ready: a reader that did wait would get a real PNG.)
TEST(PngResource, APipeOrADirectoryGivesNullWithoutWaiting) {
  testsupport::TempDir dir;
  const std::string png = testsupport::ReadFileBytes(ZEMBA_SOURCE_DIR "/resources/lobby/icon/128.png");
  ASSERT_FALSE(png.empty());
  testsupport::FifoWriter fifo(dir.Join("logo.png"), png);
  ASSERT_TRUE(fifo.Made());
  EXPECT_EQ(skin::LoadPngFile(dir.Join("logo.png").c_str()), nullptr);
  fifo.Finish();
  EXPECT_EQ(skin::LoadPngFile(dir.Path().c_str()), nullptr);
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("real.png"), png));
  EXPECT_NE(skin::LoadPngFile(dir.Join("real.png").c_str()), nullptr);
}

TEST(PngResource, AFileLargerThanTheCapIsNotRead) {
  testsupport::TempDir dir;
  std::string png = testsupport::ReadFileBytes(ZEMBA_SOURCE_DIR "/resources/lobby/icon/128.png");
  png.resize(skin::kMaxPngFileBytes + 1, '\0');  // a valid image, then padding past its end
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("big.png"), png));
  EXPECT_EQ(skin::LoadPngFile(dir.Join("big.png").c_str()), nullptr);
  png.resize(skin::kMaxPngFileBytes);
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("big.png"), png));
  EXPECT_NE(skin::LoadPngFile(dir.Join("big.png").c_str()), nullptr);
}

TEST(PngResource, FileThatIsNotAPngGivesNull) {
  EXPECT_EQ(skin::LoadPngFile(ZEMBA_SOURCE_DIR "/resources/draw_artwork.py"), nullptr);
  EXPECT_EQ(skin::LoadPngFile("/nonexistent/logo.png"), nullptr);
}

TEST(PngResource, ButtonStripFromResourceGivesQuarterWidthFrames) {
  skin::ImageStrip strip(LoadPngResource(139));
  strip.SetGrid(4, 1, 4);
  EXPECT_EQ(strip.FrameRect(2).x, 94);
  EXPECT_EQ(strip.FrameRect(2).width, 94);
}

}  // namespace
