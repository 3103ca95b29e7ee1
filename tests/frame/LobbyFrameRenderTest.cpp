// The frame's layout and composed title strip, rendered off screen: where the buttons, the
// separator and the logo go for two window sizes, and how they look on a screen of two device
// pixels per pixel.
#include <gtest/gtest.h>

#include <cstdlib>

#include "lobby/config/ClientConfig.h"
#include "lobby/frame/LobbyFrame.h"
#include "skin/PngResource.h"
#include "tests/skin/Pixels.h"
#include "tests/support/TempDir.h"

namespace {

using skintest::PixelAt;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

std::string Config(int width, int height, const std::string& logo) {
  return "<Config><LoginServer/><Windows width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\" title=\"T\" png=\"" + logo + "\">m.html</Windows>"
         "<Domain id=\"1\" corp=\"Zemba\"/><UpdateUrl>http://127.0.0.1:9</UpdateUrl>"
         "<WebUrl><Proposal>http://p/</Proposal><Service>http://s/</Service></WebUrl></Config>";
}

class LobbyFrameRenderTest : public ::testing::Test {
 protected:
  // A frame over a Config.cfg of this size and logo, drawn for a screen of `scale` device
  // pixels per pixel; no player module is there.
  skin::SurfacePtr Render(int width, int height, const std::string& logo = "", int scale = 1) {
    WriteFileBytes(dir_.Join("Config.cfg"), Config(width, height, logo));
    config_ = std::make_unique<lobby::ClientConfig>(dir_.WPath(), dir_.Join("p.ini"));
    EXPECT_TRUE(config_->LoadConfig());
    frame_ = std::make_unique<lobby::CLobbyFrame>(*config_, dir_.Path());
    frame_->SetScale(scale);
    return RenderAgain();
  }

  // The frame as it is now, at its scale.
  skin::SurfacePtr RenderAgain() {
    const skin::Rect& w = frame_->Layout().window;
    skin::SurfacePtr out = skin::MakeArgbSurface(w.width, w.height, frame_->Scale());
    skin::ContextPtr cr(cairo_create(out.get()));
    frame_->Render(cr.get());
    return out;
  }

  TempDir dir_;
  std::unique_ptr<lobby::ClientConfig> config_;
  std::unique_ptr<lobby::CLobbyFrame> frame_;
};

// The rendered region at `at` shows frame 1 of PNG `id` over the title-strip fill, pixel for
// pixel: the control is there, and nowhere else.
void ExpectImageAt(cairo_surface_t* rendered, unsigned id, unsigned frames, lobby::Point at) {
  skin::ImageStrip strip(skin::LoadPngResource(id));
  ASSERT_TRUE(strip.HasImage()) << id;
  strip.SetGrid(frames, 1, frames);
  const skin::Rect f = strip.FrameRect(1);
  skin::SurfacePtr expected = skin::MakeArgbSurface(f.width, f.height);
  skin::ContextPtr cr(cairo_create(expected.get()));
  skin::DrawFrame(cr.get(), skin::ImageStrip(skin::LoadPngResource(136)), 0, skin::Rect{0, -at.y, f.width, 35});
  skin::DrawFrame(cr.get(), strip, 1, skin::Rect{0, 0, f.width, f.height});
  cr.reset();
  int differing = 0;
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      if (PixelAt(rendered, at.x + x, at.y + y) != PixelAt(expected.get(), x, y)) ++differing;
    }
  }
  EXPECT_EQ(differing, 0) << "image " << id << " at " << at.x << "," << at.y;
}

// On a render of two device pixels per pixel, the region at `at` shows frame 1 of the 2x
// drawing of PNG `id` over the 2x title-strip fill, device pixel for device pixel; the expected
// picture is put together from the bundled PNGs directly, not through the skin's drawing.
void ExpectSharpImageAt(cairo_surface_t* rendered, unsigned id, int frameWidth, lobby::Point at) {
  skin::ImageStrip strip = skin::LoadPngStrip(id), fill = skin::LoadPngStrip(136);
  ASSERT_NE(strip.SharpImage(), nullptr) << id;
  ASSERT_NE(fill.SharpImage(), nullptr);
  const int w = frameWidth * 2, h = cairo_image_surface_get_height(strip.SharpImage());
  // Both drawings know their two device pixels per pixel, so they are placed in pixels here.
  skin::SurfacePtr expected = skin::MakeArgbSurface(frameWidth, h / 2, 2);
  skin::ContextPtr cr(cairo_create(expected.get()));
  cairo_set_source_surface(cr.get(), fill.SharpImage(), 0, -at.y);
  cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_REPEAT);  // one column
  cairo_paint(cr.get());
  cairo_set_source_surface(cr.get(), strip.SharpImage(), 0, 0);  // frame 1 starts at the left
  cairo_rectangle(cr.get(), 0, 0, frameWidth, h / 2);
  cairo_fill(cr.get());
  cr.reset();
  int differing = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (PixelAt(rendered, 2 * at.x + x, 2 * at.y + y) != PixelAt(expected.get(), x, y)) ++differing;
    }
  }
  EXPECT_EQ(differing, 0) << "image " << id << " at " << at.x << "," << at.y;
}

TEST_F(LobbyFrameRenderTest, DefaultSizePlacesEveryControlWhereTheTitleStripExpectsIt) {
  skin::SurfacePtr shot = Render(800, 600);
  const lobby::FrameLayout& l = frame_->Layout();
  EXPECT_EQ(cairo_image_surface_get_width(shot.get()), 800);
  EXPECT_EQ(cairo_image_surface_get_height(shot.get()), 635);
  EXPECT_EQ(l.movie.x, 0);
  EXPECT_EQ(l.movie.y, 35);
  EXPECT_EQ(l.movie.width, 800);
  EXPECT_EQ(l.movie.height, 600);
  ExpectImageAt(shot.get(), 130, 4, {766, 5});  // close
  ExpectImageAt(shot.get(), 133, 4, {742, 5});  // minimise
  ExpectImageAt(shot.get(), 132, 4, {586, 0});  // customer service
  ExpectImageAt(shot.get(), 134, 1, {581, 0});  // separator
  ExpectImageAt(shot.get(), 131, 4, {525, 0});  // proposal
  ExpectImageAt(shot.get(), 135, 1, {0, 0});    // the built-in logo
  EXPECT_EQ(PixelAt(shot.get(), 400, 300), 0xFF000000u);  // the movie area starts black
}

TEST_F(LobbyFrameRenderTest, OtherSizesKeepTheButtonsAtTheRightEdge) {
  skin::SurfacePtr shot = Render(1024, 700);
  EXPECT_EQ(cairo_image_surface_get_width(shot.get()), 1024);
  EXPECT_EQ(cairo_image_surface_get_height(shot.get()), 735);
  ExpectImageAt(shot.get(), 130, 4, {990, 5});
  ExpectImageAt(shot.get(), 133, 4, {966, 5});
  ExpectImageAt(shot.get(), 132, 4, {810, 0});
  ExpectImageAt(shot.get(), 134, 1, {805, 0});
  ExpectImageAt(shot.get(), 131, 4, {749, 0});
}

TEST_F(LobbyFrameRenderTest, ConfiguredLogoReplacesTheBuiltInOneAndABrokenOneDrawsNothing) {
  skin::SurfacePtr red = skintest::SolidSurface(0xFFFF0000, 40, 20);
  const std::string logo = dir_.Join("logo.png");
  ASSERT_EQ(cairo_surface_write_to_png(red.get(), logo.c_str()), CAIRO_STATUS_SUCCESS);
  skin::SurfacePtr withLogo = Render(800, 600, logo);
  EXPECT_EQ(PixelAt(withLogo.get(), 10, 10), 0xFFFF0000u);
  EXPECT_NE(PixelAt(withLogo.get(), 45, 10), 0xFFFF0000u);  // drawn at its own size

  WriteFileBytes(dir_.Join("broken.png"), "not a picture");
  skin::SurfacePtr broken = Render(800, 600, dir_.Join("broken.png"));
  skin::SurfacePtr plain = Render(800, 600);
  // Where the built-in logo differs from the bare strip, the broken logo shows the bare strip.
  const uint32_t strip = PixelAt(broken.get(), 400, 17);
  EXPECT_EQ(PixelAt(broken.get(), 10, 17), strip);
  EXPECT_NE(PixelAt(plain.get(), 10, 17), strip);
}

TEST_F(LobbyFrameRenderTest, AtScaleTwoEveryImageIsItsSharpDrawingWhereItWasAtScaleOne) {
  skin::SurfacePtr shot = Render(800, 600, "", 2);
  EXPECT_EQ(cairo_image_surface_get_width(shot.get()), 1600);
  EXPECT_EQ(cairo_image_surface_get_height(shot.get()), 1270);
  const lobby::FrameLayout& l = frame_->Layout();
  EXPECT_EQ(l.window.width, 800);  // positions and sizes stay in pixels
  EXPECT_EQ(l.movie.y, 35);
  ExpectSharpImageAt(shot.get(), 130, 24, {766, 5});
  ExpectSharpImageAt(shot.get(), 133, 24, {742, 5});
  ExpectSharpImageAt(shot.get(), 132, 56, {586, 0});
  ExpectSharpImageAt(shot.get(), 134, 5, {581, 0});
  ExpectSharpImageAt(shot.get(), 131, 56, {525, 0});
  ExpectSharpImageAt(shot.get(), 135, 320, {0, 0});
  EXPECT_EQ(PixelAt(shot.get(), 800, 600), 0xFF000000u);
}

TEST_F(LobbyFrameRenderTest, AtScaleTwoTheTitleStripIsNotThePlainOneScaledUp) {
  skin::SurfacePtr plain = Render(800, 600);
  skin::SurfacePtr upscaled = skin::MakeArgbSurface(800, 635, 2);
  skin::ContextPtr cr(cairo_create(upscaled.get()));
  cairo_set_source_surface(cr.get(), plain.get(), 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
  cairo_paint(cr.get());
  cr.reset();
  skin::SurfacePtr sharp = Render(800, 600, "", 2);
  int differing = 0;
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 1600; ++x) {
      differing += std::abs(static_cast<int>(PixelAt(sharp.get(), x, y) & 0xFF) -
                            static_cast<int>(PixelAt(upscaled.get(), x, y) & 0xFF)) > 8;
    }
  }
  EXPECT_GT(differing, 2000);  // the logo's and the buttons' edges and letters
}

TEST_F(LobbyFrameRenderTest, AtScaleTwoAConfiguredLogoIsScaledUpInItsOwnPlace) {
  skin::SurfacePtr red = skintest::SolidSurface(0xFFFF0000, 40, 20);
  const std::string logo = dir_.Join("logo.png");
  ASSERT_EQ(cairo_surface_write_to_png(red.get(), logo.c_str()), CAIRO_STATUS_SUCCESS);
  skin::SurfacePtr shot = Render(800, 600, logo, 2);
  EXPECT_EQ(PixelAt(shot.get(), 20, 20), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(shot.get(), 78, 38), 0xFFFF0000u);
  EXPECT_NE(PixelAt(shot.get(), 90, 20), 0xFFFF0000u);  // 40 pixels are 80 device pixels
  EXPECT_NE(PixelAt(shot.get(), 20, 45), 0xFFFF0000u);
  ExpectSharpImageAt(shot.get(), 130, 24, {766, 5});
}

TEST_F(LobbyFrameRenderTest, BackAtScaleOneEveryPixelIsAsBefore) {
  skin::SurfacePtr before = Render(800, 600);
  frame_->SetScale(2);
  EXPECT_EQ(cairo_image_surface_get_width(RenderAgain().get()), 1600);
  frame_->SetScale(1);
  skin::SurfacePtr after = RenderAgain();
  int differing = 0;
  for (int y = 0; y < 635; ++y) {
    for (int x = 0; x < 800; ++x) differing += PixelAt(after.get(), x, y) != PixelAt(before.get(), x, y);
  }
  EXPECT_EQ(differing, 0);
}

TEST_F(LobbyFrameRenderTest, MissingOrAbsurdSizesFallBackToTheDefault) {
  Render(0, -5);
  EXPECT_EQ(frame_->Layout().window.width, 800);
  EXPECT_EQ(frame_->Layout().window.height, 635);
  Render(100000, 600);
  EXPECT_EQ(frame_->Layout().window.width, 800);
}

TEST(FrameLayoutTest, NoticeIsCentredOnTheMovieSizeAndPinnedWhenTheMovieIsSmaller) {
  lobby::FrameLayout l = lobby::ComputeLayout(800, 600, {});
  EXPECT_EQ(l.notice.x, 210);
  EXPECT_EQ(l.notice.y, 203);  // measured from the window's corner, title strip not added
  EXPECT_EQ(l.download.x, 355);
  EXPECT_EQ(l.download.y, 323);
  EXPECT_EQ(l.noticeText.x, 306);
  EXPECT_EQ(l.noticeText.y, 243);
  lobby::FrameLayout small = lobby::ComputeLayout(300, 100, {});
  EXPECT_EQ(small.notice.x, 0);
  EXPECT_EQ(small.notice.y, 0);
}

}  // namespace
