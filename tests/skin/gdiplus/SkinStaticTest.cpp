// The GDI+ label: background region, font with its CJK stand-in, colour and alignment.
#include "skin/SkinStatic.h"

#include "GdiplusTest.h"
#include "skin/Font.h"

namespace {

using skin::Align;
using skin::CSkinStatic;
using skintest::PixelAt;

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kYellow = 0xFFFFFF78;

struct InkSpan {
  int first = -1;
  int last = -1;
  int solid = 0;  // pixels of (nearly) the text colour: strokes, not their smoothed edges
};

InkSpan Ink(Gdiplus::Bitmap& b) {
  InkSpan span;
  for (int x = 0; x < static_cast<int>(b.GetWidth()); ++x) {
    bool inked = false;
    for (int y = 0; y < static_cast<int>(b.GetHeight()); ++y) {
      const uint32_t p = PixelAt(b, x, y);
      if (p != kBlack) inked = true;
      if (skintest::Near(p, kYellow)) ++span.solid;
    }
    if (!inked) continue;
    if (span.first < 0) span.first = x;
    span.last = x;
  }
  return span;
}

class GdiplusSkinStatic : public ::testing::Test {
 protected:
  GdiplusSkinStatic() : background(skintest::SolidBitmap(kBlack, 300, 100)) {
    label.SetBackground(&background, 50, 20);
    label.SetText(u"正在检查更新");
  }

  skin::ImagePtr Render() {
    skin::ImagePtr target(new Gdiplus::Bitmap(200, 30, PixelFormat32bppARGB));
    Gdiplus::Graphics g(target.get());
    label.Paint(g);
    return target;
  }

  void Styled(Align horizontal) {
    skin::FontPtr font = skin::MakeFont("宋体", 12);
    ASSERT_NE(font, nullptr);
    label.SetFont(font.get());
    label.SetTextColor(kYellow);
    label.SetLayout(200, 30, {0, 0, 200, 30}, horizontal, Align::kCenter);
  }

  skin::ImageStrip background;
  CSkinStatic label;
};

TEST_F(GdiplusSkinStatic, WithoutFontOrColourOnlyTheBackgroundIsPainted) {
  label.SetLayout(200, 30, {0, 0, 200, 30}, Align::kNear, Align::kCenter);
  label.SetTextColor(kYellow);  // colour but no font
  skin::ImagePtr out = Render();
  EXPECT_EQ(Ink(*out).first, -1);
  EXPECT_EQ(PixelAt(*out, 0, 0), kBlack);
}

TEST_F(GdiplusSkinStatic, ChineseTextIsDrawnInTheTextColourWithAFaceThatHasItsGlyphs) {
  Styled(Align::kNear);
  skin::ImagePtr first = Render();
  const InkSpan ink = Ink(*first);
  ASSERT_GE(ink.first, 0);
  // Six CJK characters at 12 px take about 72 pixels.
  EXPECT_GT(ink.last - ink.first, 60);
  EXPECT_LT(ink.last - ink.first, 80);
  EXPECT_GT(ink.solid, 8) << "solid strokes carry the label's colour";
  // Other characters draw other pixels: real glyphs, not one missing-glyph box for all.
  label.SetText(u"文件下载完成");
  skin::ImagePtr second = Render();
  int differing = 0;
  for (int x = 0; x < 200; ++x) {
    for (int y = 0; y < 30; ++y) differing += PixelAt(*first, x, y) != PixelAt(*second, x, y);
  }
  EXPECT_GT(differing, 50);
}

TEST_F(GdiplusSkinStatic, NearAlignmentStartsAtTheLeftAndCentreBalancesTheMargins) {
  Styled(Align::kNear);
  skin::ImagePtr leftAligned = Render();
  EXPECT_LE(Ink(*leftAligned).first, 2);
  Styled(Align::kCenter);
  skin::ImagePtr centred = Render();
  const InkSpan ink = Ink(*centred);
  ASSERT_GE(ink.first, 0);
  EXPECT_NEAR(ink.first, 199 - ink.last, 3);
}

TEST_F(GdiplusSkinStatic, VerticalCentreLeavesTheTopAndBottomRowsClear) {
  Styled(Align::kNear);
  skin::ImagePtr out = Render();
  for (int x = 0; x < 200; ++x) {
    EXPECT_EQ(PixelAt(*out, x, 0), kBlack) << x;
    EXPECT_EQ(PixelAt(*out, x, 29), kBlack) << x;
  }
}

TEST_F(GdiplusSkinStatic, FontIsCopiedSoTheCallerMayFreeItsOwn) {
  {
    skin::FontPtr font = skin::MakeFont("宋体", 12);
    label.SetFont(font.get());
  }
  label.SetTextColor(kYellow);
  label.SetLayout(200, 30, {0, 0, 200, 30}, Align::kNear, Align::kCenter);
  skin::ImagePtr out = Render();
  EXPECT_GE(Ink(*out).first, 0);
}

TEST(GdiplusSkinStaticBackground, LabelCopiesItsRegionOfTheOwnersBackground) {
  skin::ImagePtr backdrop = skintest::SolidBitmap(kBlack, 40, 40);
  {
    Gdiplus::Graphics g(backdrop.get());
    Gdiplus::SolidBrush red{Gdiplus::Color(0xFFFF0000)};
    g.FillRectangle(&red, 20, 10, 4, 4);
  }
  const skin::ImageStrip background(std::move(backdrop));
  CSkinStatic label;
  label.SetLayout(4, 4, {0, 0, 4, 4}, Align::kNear, Align::kNear);
  label.SetBackground(&background, 20, 10);
  skin::ImagePtr target = skintest::SolidBitmap(kBlack, 6, 6);
  Gdiplus::Graphics g(target.get());
  label.Paint(g);
  EXPECT_EQ(PixelAt(*target, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(*target, 3, 3), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(*target, 4, 4), kBlack) << "the label covers its own size only";
}

}  // namespace
