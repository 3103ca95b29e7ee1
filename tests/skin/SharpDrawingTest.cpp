// Drawing for screens of more than one device pixel per pixel: canvases and images that know
// their scale, the sharp drawing a strip carries, and the button and label painted at the
// canvas's resolution. The lobby's artwork bundle is linked into this test program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Pixels.h"
#include "skin/Font.h"
#include "skin/ImageStrip.h"
#include "skin/PngResource.h"
#include "skin/SkinStatic.h"
#include "skin/cairo/SkinButton.h"

namespace {

using skintest::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kBlack = 0xFF000000,
                   kWhite = 0xFFFFFFFF;

int DevicePixels(cairo_surface_t* s) { return cairo_image_surface_get_width(s); }

// A w x h sheet of `scale` device pixels per pixel, red, with a 1-device-pixel blue dot at each
// pixel's top-left corner: a detail only a drawing at that resolution has.
skin::SurfacePtr DottedSheet(int w, int h, int scale) {
  skin::SurfacePtr s = skintest::SolidSurface(kRed, w * scale, h * scale);
  skin::ContextPtr cr(cairo_create(s.get()));
  cairo_set_source_rgb(cr.get(), 0, 0, 1);
  for (int y = 0; y < h * scale; y += scale) {
    for (int x = 0; x < w * scale; x += scale) cairo_rectangle(cr.get(), x, y, 1, 1);
  }
  cairo_fill(cr.get());
  cr.reset();
  cairo_surface_set_device_scale(s.get(), scale, scale);
  return s;
}

// Device pixels of `a` at (ax, ay) onwards that differ from `b` at (0, 0) onwards.
int Differing(cairo_surface_t* a, int ax, int ay, cairo_surface_t* b) {
  int differing = 0;
  for (int y = 0; y < cairo_image_surface_get_height(b); ++y) {
    for (int x = 0; x < cairo_image_surface_get_width(b); ++x) {
      if (PixelAt(a, ax + x, ay + y) != PixelAt(b, x, y)) ++differing;
    }
  }
  return differing;
}

int CanvasScaleOf(cairo_surface_t* s, double zoom = 1) {
  skin::ContextPtr cr(cairo_create(s));
  cairo_scale(cr.get(), zoom, zoom);
  return skin::CanvasScale(cr.get());
}

TEST(CanvasScale, IsTheSurfacesDevicePixelsPerPixelTimesAnyZoom) {
  EXPECT_EQ(CanvasScaleOf(skin::MakeArgbSurface(4, 4).get()), 1);
  EXPECT_EQ(CanvasScaleOf(skin::MakeArgbSurface(4, 4, 2).get()), 2);
  EXPECT_EQ(CanvasScaleOf(skin::MakeArgbSurface(4, 4).get(), 2), 2);
  EXPECT_EQ(CanvasScaleOf(skin::MakeArgbSurface(4, 4, 2).get(), 1.5), 3);
  // A fractional scale is drawn at the next whole number of device pixels.
  EXPECT_EQ(CanvasScaleOf(skin::MakeArgbSurface(4, 4).get(), 1.25), 2);
  EXPECT_EQ(CanvasScaleOf(skin::MakeArgbSurface(4, 4).get(), 0.5), 1);
}

TEST(ScaledSurface, HoldsScaleTimesTheDevicePixelsAndMeasuresInPixels) {
  skin::SurfacePtr s = skin::MakeArgbSurface(10, 5, 2);
  EXPECT_EQ(cairo_image_surface_get_width(s.get()), 20);
  EXPECT_EQ(cairo_image_surface_get_height(s.get()), 10);
  EXPECT_EQ(skin::ImageWidth(s.get()), 10);
  EXPECT_EQ(skin::ImageHeight(s.get()), 5);
  EXPECT_EQ(DevicePixels(skin::MakeArgbSurface(10, 5, 0).get()), 10);  // below 1 is 1
}

TEST(SharpImage, IsRefusedUnlessItMeasuresWhatTheSheetMeasures) {
  skin::ImageStrip strip(DottedSheet(4, 2, 1));
  EXPECT_FALSE(strip.AddSharpImage(DottedSheet(4, 3, 2)));
  EXPECT_FALSE(strip.AddSharpImage(skintest::SolidSurface(kRed, 8, 4)));  // no scale: 8 x 4
  EXPECT_EQ(strip.SharpImage(), nullptr);
  EXPECT_TRUE(strip.AddSharpImage(DottedSheet(4, 2, 2)));
  EXPECT_NE(strip.SharpImage(), nullptr);
  skin::ImageStrip empty;
  EXPECT_FALSE(empty.AddSharpImage(DottedSheet(4, 2, 2)));
}

class SharpStrip : public ::testing::Test {
 protected:
  SharpStrip() : strip(skintest::SolidSurface(kRed, 4, 2)) {
    strip.AddSharpImage(DottedSheet(4, 2, 2));
  }
  skin::ImageStrip strip;
};

TEST_F(SharpStrip, ADenserCanvasDrawsTheSharpDrawingPixelForPixel) {
  skin::SurfacePtr canvas = skin::MakeArgbSurface(4, 2, 2);
  skin::ContextPtr cr(cairo_create(canvas.get()));
  ASSERT_TRUE(skin::DrawFrame(cr.get(), strip, 0, skin::Rect{0, 0, 4, 2}));
  cr.reset();
  EXPECT_EQ(Differing(canvas.get(), 0, 0, strip.SharpImage()), 0);
  EXPECT_EQ(PixelAt(canvas.get(), 2, 2), kBlue);  // the dot no 1x sheet has
  EXPECT_EQ(PixelAt(canvas.get(), 3, 2), kRed);
}

TEST_F(SharpStrip, APlainCanvasKeepsTheSheetItself) {
  skin::SurfacePtr canvas = skin::MakeArgbSurface(4, 2);
  skin::ContextPtr cr(cairo_create(canvas.get()));
  skin::DrawFrame(cr.get(), strip, 0, skin::Rect{0, 0, 4, 2});
  skin::CopyRegion(cr.get(), strip, 0, 0, 2, 2);
  cr.reset();
  EXPECT_EQ(Differing(canvas.get(), 0, 0, strip.Image()), 0);
}

TEST_F(SharpStrip, CopyRegionOnADenserCanvasCopiesFromTheSharpDrawing) {
  skin::SurfacePtr canvas = skin::MakeArgbSurface(2, 1, 2);
  skin::ContextPtr cr(cairo_create(canvas.get()));
  skin::CopyRegion(cr.get(), strip, 1, 1, 2, 1);
  cr.reset();
  // Device pixel (2, 2) of the sharp drawing, pixel (1, 1), lands at device (0, 0).
  EXPECT_EQ(PixelAt(canvas.get(), 0, 0), kBlue);
  EXPECT_EQ(PixelAt(canvas.get(), 1, 0), kRed);
  EXPECT_EQ(PixelAt(canvas.get(), 2, 0), kBlue);
}

TEST(PlainStrip, CopyRegionOnADenserCanvasKeepsTheEdgesWhole) {
  // A label over an owner's plain background: its copy must not fade at the top and left.
  const skin::ImageStrip plain(skintest::SolidSurface(kRed, 6, 4));
  skin::SurfacePtr canvas = skin::MakeArgbSurface(3, 2, 2);
  skin::ContextPtr cr(cairo_create(canvas.get()));
  skin::CopyRegion(cr.get(), plain, 0, 0, 3, 2);
  cr.reset();
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(canvas.get(), x, y), kRed) << x << "," << y;
  }
}

TEST_F(SharpStrip, AStretchedSheetStillChoosesByTheCanvasNotTheStretch) {
  // The title-strip fill is a 1-pixel column stretched across the window: on a plain canvas
  // the stretch must not pick the sharp drawing.
  skin::SurfacePtr canvas = skin::MakeArgbSurface(40, 2);
  skin::ContextPtr cr(cairo_create(canvas.get()));
  skin::DrawFrame(cr.get(), strip, 0, skin::Rect{0, 0, 40, 2});
  cr.reset();
  for (int x = 0; x < 40; ++x) EXPECT_EQ(PixelAt(canvas.get(), x, 0), kRed) << x;
}

// The lobby's artwork: every image carries its drawing at twice the resolution, drawn anew.
TEST(SharpArtwork, EveryLobbyImageHasADrawingAtTwiceTheResolution) {
  for (unsigned id : {130u, 131u, 132u, 133u, 134u, 135u, 136u, 138u, 139u}) {
    skin::ImageStrip strip = skin::LoadPngStrip(id);
    ASSERT_TRUE(strip.HasImage()) << id;
    ASSERT_NE(strip.SharpImage(), nullptr) << id;
    EXPECT_EQ(DevicePixels(strip.SharpImage()), 2 * DevicePixels(strip.Image())) << id;
    EXPECT_EQ(skin::ImageWidth(strip.SharpImage()), strip.Width()) << id;
    EXPECT_EQ(skin::ImageHeight(strip.SharpImage()), strip.Height()) << id;
  }
  EXPECT_FALSE(skin::LoadPngStrip(137).HasImage());
}

// The 1x image scaled up to `scale` device pixels per pixel, smoothly, as a frame is drawn
// when there is no sharp drawing (its edges padded, not faded).
skin::SurfacePtr Upscaled(cairo_surface_t* image, int scale) {
  skin::SurfacePtr out =
      skin::MakeArgbSurface(skin::ImageWidth(image), skin::ImageHeight(image), scale);
  skin::ContextPtr cr(cairo_create(out.get()));
  cairo_set_source_surface(cr.get(), image, 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
  cairo_rectangle(cr.get(), 0, 0, skin::ImageWidth(image), skin::ImageHeight(image));
  cairo_fill(cr.get());
  return out;
}

// Steps of more than 3/4 of full opacity between horizontal neighbours, and 2 x 2 blocks of
// device pixels that are not all alike: a drawing at its resolution has both, a smoothly scaled
// up one no such steps, and one scaled up by repeating pixels no such blocks.
int SteepAlphaSteps(cairo_surface_t* s) {
  int steep = 0;
  for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
    for (int x = 1; x < cairo_image_surface_get_width(s); ++x) {
      steep += std::abs(static_cast<int>(PixelAt(s, x, y) >> 24) -
                        static_cast<int>(PixelAt(s, x - 1, y) >> 24)) > 192;
    }
  }
  return steep;
}

int MixedBlocks(cairo_surface_t* s) {
  int mixed = 0;
  for (int y = 0; y + 1 < cairo_image_surface_get_height(s); y += 2) {
    for (int x = 0; x + 1 < cairo_image_surface_get_width(s); x += 2) {
      const uint32_t p = PixelAt(s, x, y);
      mixed += PixelAt(s, x + 1, y) != p || PixelAt(s, x, y + 1) != p || PixelAt(s, x + 1, y + 1) != p;
    }
  }
  return mixed;
}

TEST(SharpArtwork, IsDrawnAtItsResolutionNotScaledUp) {
  for (unsigned id : {130u, 133u}) {  // the window buttons' strokes
    skin::ImageStrip strip = skin::LoadPngStrip(id);
    ASSERT_NE(strip.SharpImage(), nullptr) << id;
    EXPECT_GT(SteepAlphaSteps(strip.SharpImage()), 40) << id;
    EXPECT_GT(MixedBlocks(strip.SharpImage()), 40) << id;
  }
}

// A button painted on a canvas of `scale` device pixels per pixel.
skin::SurfacePtr PaintButton(const skin::CSkinButton& button, int scale) {
  skin::SurfacePtr out = skin::MakeArgbSurface(button.Width(), button.Height(), scale);
  skin::ContextPtr cr(cairo_create(out.get()));
  button.Paint(cr.get());
  return out;
}

class SharpButton : public ::testing::Test {
 protected:
  SharpButton() : background(skintest::SolidSurface(kBlack, 200, 50)) {
    button.SetImage(skin::LoadPngStrip(130));  // close: 24 x 24 frames
    button.SetBackground(&background, 10, 5);
  }

  // Frame 1 of the close strip's sharp drawing over black, device pixel for device pixel.
  skin::SurfacePtr ExpectedFrame() const {
    skin::SurfacePtr out = skin::MakeArgbSurface(24, 24, 2);
    skin::ContextPtr cr(cairo_create(out.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());
    cairo_set_source_surface(cr.get(), button.Strip()->SharpImage(), 0, 0);
    cairo_rectangle(cr.get(), 0, 0, 24, 24);
    cairo_fill(cr.get());
    return out;
  }

  skin::ImageStrip background;
  skin::CSkinButton button;
};

TEST_F(SharpButton, OnADoubleScaleCanvasShowsTheSharpFramePixelForPixel) {
  EXPECT_EQ(button.Width(), 24);  // its size stays in pixels
  skin::SurfacePtr painted = PaintButton(button, 2);
  ASSERT_EQ(DevicePixels(painted.get()), 48);
  EXPECT_EQ(Differing(painted.get(), 0, 0, ExpectedFrame().get()), 0);
}

TEST_F(SharpButton, OnADoubleScaleCanvasIsNotTheUpscaledPlainPicture) {
  skin::SurfacePtr sharp = PaintButton(button, 2);
  skin::SurfacePtr upscaled = Upscaled(PaintButton(button, 1).get(), 2);
  // Inside the button only: how a scaled picture meets its edge is not the question here.
  int differing = 0;
  for (int y = 2; y < 46; ++y) {
    for (int x = 2; x < 46; ++x) differing += PixelAt(sharp.get(), x, y) != PixelAt(upscaled.get(), x, y);
  }
  EXPECT_GT(differing, 100);
}

TEST_F(SharpButton, TheFocusRingStaysOnePixelInsideTheEdge) {
  button.SetFocused(true);
  skin::SurfacePtr painted = PaintButton(button, 2);
  // Pixel (1, 1) is device pixels (2..3, 2..3).
  EXPECT_EQ(PixelAt(painted.get(), 2, 2), skin::kFocusRingColor);
  EXPECT_EQ(PixelAt(painted.get(), 3, 3), skin::kFocusRingColor);
  EXPECT_EQ(PixelAt(painted.get(), 1, 1), kBlack);
}

// A label of white text on black, painted at `scale` device pixels per pixel.
skin::SurfacePtr PaintLabel(int scale) {
  const skin::ImageStrip background(skintest::SolidSurface(kBlack, 200, 40));
  skin::CSkinStatic label;
  label.SetBackground(&background, 0, 0);
  label.SetText(u"游戏需要支持");
  skin::FontPtr font = skin::MakeFont("宋体", 16);
  label.SetFont(font.get());
  label.SetTextColor(kWhite);
  label.SetLayout(120, 30, {0, 0, 120, 30}, skin::Align::kNear, skin::Align::kCenter);
  skin::SurfacePtr out = skin::MakeArgbSurface(120, 30, scale);
  skin::ContextPtr cr(cairo_create(out.get()));
  label.Paint(cr.get());
  return out;
}

// The first and last pixel columns with ink, in pixels.
std::pair<int, int> InkColumns(cairo_surface_t* s, int scale) {
  int first = -1, last = -1;
  for (int x = 0; x < cairo_image_surface_get_width(s); ++x) {
    for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
      if (PixelAt(s, x, y) != kBlack) {
        if (first < 0) first = x / scale;
        last = x / scale;
        break;
      }
    }
  }
  return {first, last};
}

// Horizontal neighbours that differ by more than 3/4 of full brightness: edges as sharp as the
// surface can hold. Scaling up smooths every such step over two device pixels.
int SteepEdges(cairo_surface_t* s) {
  int steep = 0;
  for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
    for (int x = 1; x < cairo_image_surface_get_width(s); ++x) {
      const int a = static_cast<int>(PixelAt(s, x - 1, y) & 0xFF);
      const int b = static_cast<int>(PixelAt(s, x, y) & 0xFF);
      if (std::abs(a - b) > 192) ++steep;
    }
  }
  return steep;
}

TEST(SharpLabel, TextKeepsItsPlaceInPixels) {
  skin::SurfacePtr plain = PaintLabel(1);
  skin::SurfacePtr sharp = PaintLabel(2);
  ASSERT_EQ(DevicePixels(sharp.get()), 240);
  const auto [plainFirst, plainLast] = InkColumns(plain.get(), 1);
  const auto [sharpFirst, sharpLast] = InkColumns(sharp.get(), 2);
  ASSERT_GE(plainFirst, 0);
  EXPECT_NEAR(sharpFirst, plainFirst, 1);
  EXPECT_NEAR(sharpLast, plainLast, 1);
}

TEST(SharpLabel, TextIsDrawnAtTheCanvasResolution) {
  skin::SurfacePtr sharp = PaintLabel(2);
  skin::SurfacePtr upscaled = Upscaled(PaintLabel(1).get(), 2);
  EXPECT_GT(SteepEdges(sharp.get()), 50);
  EXPECT_EQ(SteepEdges(upscaled.get()), 0);
}

}  // namespace
