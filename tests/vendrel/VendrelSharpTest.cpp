// The progress window rendered for a screen of two device pixels per pixel: the background and
// the bar are the artwork's drawings at twice the resolution, device pixel for device pixel.
#include <gtest/gtest.h>

#include "skin/PngResource.h"
#include "tests/skin/Pixels.h"
#include "tests/vendrel/VendrelMessages.h"
#include "updater/app/gtk/VendrelDlg.h"

namespace {

using skintest::PixelAt;

// The window rendered at two device pixels per pixel.
skin::SurfacePtr RenderSharp(const vendrel::CVendrelDlg& dlg) {
  skin::SurfacePtr out = skin::MakeArgbSurface(dlg.Width(), dlg.Height(), 2);
  skin::ContextPtr cr(cairo_create(out.get()));
  dlg.Render(cr.get());
  return out;
}

// Device pixels of the w x h pixel block at (x, y) of the render that differ from the same block
// of `image` at (ix, iy), both of two device pixels per pixel.
int Differing(cairo_surface_t* render, int x, int y, cairo_surface_t* image, int ix, int iy, int w,
              int h) {
  int differing = 0;
  for (int dy = 0; dy < 2 * h; ++dy) {
    for (int dx = 0; dx < 2 * w; ++dx) {
      differing += PixelAt(render, 2 * x + dx, 2 * y + dy) != PixelAt(image, 2 * ix + dx, 2 * iy + dy);
    }
  }
  return differing;
}

TEST(VendrelSharp, BackgroundAndBarAreTheirDrawingsAtTwiceTheResolution) {
  vendrel::CVendrelDlg dlg;
  dlg.Handle(vendreltest::Message(updater::WM_UPDATE_STEP, 3));
  EXPECT_EQ(dlg.Width(), 566);  // the window keeps its size in pixels
  skin::SurfacePtr out = RenderSharp(dlg);
  ASSERT_EQ(cairo_image_surface_get_width(out.get()), 1132);
  skin::ImageStrip background = skin::LoadPngStrip(129, "png"), leftCap = skin::LoadPngStrip(130, "png"),
                   segment = skin::LoadPngStrip(131, "png");
  ASSERT_NE(background.SharpImage(), nullptr);
  ASSERT_NE(leftCap.SharpImage(), nullptr);
  ASSERT_NE(segment.SharpImage(), nullptr);
  // The track's rounded left end, under no text.
  EXPECT_EQ(Differing(out.get(), 0, 29, background.SharpImage(), 0, 29, 18, 20), 0);
  EXPECT_EQ(Differing(out.get(), 18, 29, leftCap.SharpImage(), 0, 0, 8, 18), 0);
  EXPECT_EQ(Differing(out.get(), 26 + 8 * 2, 29, segment.SharpImage(), 0, 0, 8, 18), 0);
}

}  // namespace
