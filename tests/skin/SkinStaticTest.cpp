#include "skin/SkinStatic.h"

#include <gtest/gtest.h>

#include "Pixels.h"
#include "skin/Font.h"

namespace {

using skin::Align;
using skin::CSkinStatic;
using skintest::PixelAt;

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Columns of the painted label that carry text ink (anything that is not the black backdrop).
struct InkSpan {
  int first = -1;
  int last = -1;
};

InkSpan InkColumns(cairo_surface_t* s) {
  InkSpan span;
  for (int x = 0; x < cairo_image_surface_get_width(s); ++x) {
    for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
      if (PixelAt(s, x, y) != kBlack) {
        if (span.first < 0) span.first = x;
        span.last = x;
        break;
      }
    }
  }
  return span;
}

class SkinStaticTest : public ::testing::Test {
 protected:
  SkinStaticTest() : background(skintest::SolidSurface(kBlack, 300, 100)) {
    label.SetBackground(&background, 50, 20);
    label.SetText(u"正在检查更新");
  }

  skin::SurfacePtr Render() {
    skin::SurfacePtr target = skin::MakeArgbSurface(200, 30);
    skin::ContextPtr cr(cairo_create(target.get()));
    label.Paint(cr.get());
    return target;
  }

  void Styled(Align horizontal) {
    skin::FontPtr font = skin::MakeFont("宋体", 12);
    label.SetFont(font.get());
    label.SetTextColor(kWhite);
    label.SetLayout(200, 30, {0, 0, 200, 30}, horizontal, Align::kCenter);
  }

  skin::ImageStrip background;
  CSkinStatic label;
};

TEST_F(SkinStaticTest, WithoutFontOrColourOnlyTheBackgroundIsPainted) {
  label.SetLayout(200, 30, {0, 0, 200, 30}, Align::kNear, Align::kCenter);
  label.SetTextColor(kWhite);  // colour but no font
  skin::SurfacePtr out = Render();
  EXPECT_EQ(InkColumns(out.get()).first, -1);
  EXPECT_EQ(PixelAt(out.get(), 0, 0), kBlack);
}

TEST_F(SkinStaticTest, ChineseTextIsDrawnWithAnInstalledFont) {
  Styled(Align::kNear);
  skin::SurfacePtr out = Render();
  const InkSpan ink = InkColumns(out.get());
  ASSERT_GE(ink.first, 0);
  // Six CJK characters at 12 px take about 72 pixels.
  EXPECT_GT(ink.last - ink.first, 60);
  EXPECT_LT(ink.last - ink.first, 80);
}

TEST_F(SkinStaticTest, NearAlignmentStartsAtTheLeftOfTheBox) {
  Styled(Align::kNear);
  skin::SurfacePtr out = Render();
  EXPECT_LE(InkColumns(out.get()).first, 2);
}

TEST_F(SkinStaticTest, CentreAlignmentBalancesTheMargins) {
  Styled(Align::kCenter);
  skin::SurfacePtr out = Render();
  const InkSpan ink = InkColumns(out.get());
  ASSERT_GE(ink.first, 0);
  EXPECT_NEAR(ink.first, 199 - ink.last, 3);
}

TEST_F(SkinStaticTest, VerticalCentreLeavesTextInTheMiddleRows) {
  Styled(Align::kNear);
  skin::SurfacePtr out = Render();
  for (int x = 0; x < 200; ++x) {
    EXPECT_EQ(PixelAt(out.get(), x, 0), kBlack) << x;
    EXPECT_EQ(PixelAt(out.get(), x, 29), kBlack) << x;
  }
}

TEST_F(SkinStaticTest, TextOutsideTheLayoutBoxIsClipped) {
  Styled(Align::kNear);
  label.SetLayout(200, 30, {0, 0, 30, 30}, Align::kNear, Align::kCenter);
  skin::SurfacePtr out = Render();
  EXPECT_LT(InkColumns(out.get()).last, 30);
}

TEST_F(SkinStaticTest, FontIsCopiedSoTheCallerMayFreeItsOwn) {
  {
    skin::FontPtr font = skin::MakeFont("宋体", 12);
    label.SetFont(font.get());
  }
  label.SetTextColor(kWhite);
  label.SetLayout(200, 30, {0, 0, 200, 30}, Align::kNear, Align::kCenter);
  skin::SurfacePtr out = Render();
  EXPECT_GE(InkColumns(out.get()).first, 0);
}

TEST(SkinStaticBackground, LabelCopiesItsRegionOfTheOwnersBackground) {
  skin::SurfacePtr backdrop = skintest::SolidSurface(kBlack, 40, 40);
  skin::ContextPtr cr(cairo_create(backdrop.get()));
  cairo_set_source_rgb(cr.get(), 1, 0, 0);
  cairo_rectangle(cr.get(), 20, 10, 4, 4);
  cairo_fill(cr.get());
  cr.reset();
  const skin::ImageStrip background(std::move(backdrop));
  CSkinStatic label;
  label.SetLayout(4, 4, {0, 0, 4, 4}, Align::kNear, Align::kNear);
  label.SetBackground(&background, 20, 10);
  skin::SurfacePtr target = skin::MakeArgbSurface(4, 4);
  skin::ContextPtr out(cairo_create(target.get()));
  label.Paint(out.get());
  EXPECT_EQ(PixelAt(target.get(), 0, 0), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(target.get(), 3, 3), 0xFFFF0000u);
}

}  // namespace
