#include "skin/cairo/SkinButton.h"

#include <gtest/gtest.h>

#include "Pixels.h"

namespace {

using skin::ButtonState;
using skin::CSkinButton;
using skintest::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kGrey = 0xFF808080;
constexpr uint32_t kFour[] = {kRed, kGreen, kBlue, kGrey};

uint32_t PaintedColour(const CSkinButton& button) {
  skin::SurfacePtr target = skin::MakeArgbSurface(button.Width(), button.Height());
  skin::ContextPtr cr(cairo_create(target.get()));
  button.Paint(cr.get());
  return PixelAt(target.get(), button.Width() / 2, button.Height() / 2);
}

class SkinButtonTest : public ::testing::Test {
 protected:
  void SetUp() override { button.SetImage(skintest::ColumnSheet(kFour, 4, 8, 5)); }
  CSkinButton button;
};

TEST(SkinButtonState, DisabledWinsOverHoverAndPress) {
  EXPECT_EQ(ButtonState(false, false, true), CSkinButton::kDisabled);
  EXPECT_EQ(ButtonState(false, true, true), CSkinButton::kDisabled);
}

TEST(SkinButtonState, PressedShowsWhetherOrNotThePointerIsOver) {
  EXPECT_EQ(ButtonState(true, true, true), CSkinButton::kPressed);
  EXPECT_EQ(ButtonState(true, true, false), CSkinButton::kPressed);
}

TEST(SkinButtonState, HoverOnlyWhenEnabledAndNotPressed) {
  EXPECT_EQ(ButtonState(true, false, true), CSkinButton::kHovered);
  EXPECT_EQ(ButtonState(true, false, false), CSkinButton::kNormal);
}

TEST(SkinButtonSize, NinetySevenPixelStripGivesTwentyFourPixelFrames) {
  CSkinButton button;
  EXPECT_TRUE(button.SetImage(skintest::SolidSurface(kRed, 97, 24)));
  EXPECT_EQ(button.Width(), 24);
  EXPECT_EQ(button.Height(), 24);
  EXPECT_EQ(button.Strip()->FrameRect(4).x, 72);
}

TEST(SkinButtonSize, SecondImageIsIgnoredAndTheFirstSizeKept) {
  CSkinButton button;
  button.SetImage(skintest::SolidSurface(kRed, 96, 24));
  EXPECT_TRUE(button.SetImage(skintest::SolidSurface(kBlue, 224, 35)));
  EXPECT_EQ(button.Width(), 24);
  EXPECT_EQ(button.Height(), 24);
  EXPECT_EQ(PaintedColour(button), kRed);
}

TEST(SkinButtonSize, WithoutImageTheButtonIsTenByTenAndPaintsNothing) {
  CSkinButton button;
  EXPECT_EQ(button.Width(), 10);
  EXPECT_EQ(PaintedColour(button), 0u);
}

TEST_F(SkinButtonTest, EachStatePaintsItsOwnFrame) {
  EXPECT_EQ(PaintedColour(button), kRed);
  button.SetHovered(true);
  EXPECT_EQ(PaintedColour(button), kGreen);
  button.SetPressed(true);
  EXPECT_EQ(PaintedColour(button), kBlue);
  button.SetEnabled(false);
  EXPECT_EQ(PaintedColour(button), kGrey);
}

TEST_F(SkinButtonTest, LeavingAfterHoverShowsTheNormalFrameAgain) {
  button.SetHovered(true);
  button.SetHovered(false);
  EXPECT_EQ(PaintedColour(button), kRed);
}

TEST_F(SkinButtonTest, ReleaseInsideAPressedButtonClicksOnce) {
  int clicks = 0;
  button.OnClicked([&] { ++clicks; });
  button.SetPressed(true);
  button.Release(true);
  button.Release(true);  // a release without a press is no click
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button.CurrentState(), CSkinButton::kNormal);
}

TEST_F(SkinButtonTest, ReleaseOutsideOrWhileDisabledDoesNotClick) {
  int clicks = 0;
  button.OnClicked([&] { ++clicks; });
  button.SetPressed(true);
  button.Release(false);
  button.SetPressed(true);
  button.SetEnabled(false);
  button.Release(true);
  EXPECT_EQ(clicks, 0);
}

TEST(SkinButtonBackground, TransparentPixelsShowTheOwnersBackgroundRegion) {
  // Frames are transparent on their left half, so the copied background shows there.
  skin::SurfacePtr sheet = skin::MakeArgbSurface(40, 4);
  skin::ContextPtr sheetCr(cairo_create(sheet.get()));
  cairo_set_source_rgb(sheetCr.get(), 0, 0, 1);
  for (int i = 0; i < 4; ++i) cairo_rectangle(sheetCr.get(), i * 10 + 5, 0, 5, 4);
  cairo_fill(sheetCr.get());
  sheetCr.reset();

  // Background: black, with a green block where the button sits (x 30..40).
  skin::SurfacePtr backdrop = skintest::SolidSurface(0xFF000000, 60, 10);
  skin::ContextPtr bgCr(cairo_create(backdrop.get()));
  cairo_set_source_rgb(bgCr.get(), 0, 1, 0);
  cairo_rectangle(bgCr.get(), 30, 2, 10, 4);
  cairo_fill(bgCr.get());
  bgCr.reset();
  const skin::ImageStrip background(std::move(backdrop));

  CSkinButton button;
  button.SetImage(std::move(sheet));
  button.SetBackground(&background, 30, 2);
  skin::SurfacePtr target = skin::MakeArgbSurface(10, 4);
  skin::ContextPtr cr(cairo_create(target.get()));
  button.Paint(cr.get());
  EXPECT_EQ(PixelAt(target.get(), 1, 1), kGreen);
  EXPECT_EQ(PixelAt(target.get(), 8, 1), kBlue);
}

// The painted button at a point, as it looks focused.
uint32_t FocusedPixel(CSkinButton& button, int x, int y) {
  skin::SurfacePtr target = skin::MakeArgbSurface(button.Width(), button.Height());
  skin::ContextPtr cr(cairo_create(target.get()));
  button.Paint(cr.get());
  return PixelAt(target.get(), x, y);
}

TEST_F(SkinButtonTest, FocusDrawsADottedRingOnePixelInsideTheEdge) {
  // 8 x 5 frames: the ring runs along row 1 and column 1, every other pixel.
  button.SetFocused(true);
  EXPECT_EQ(FocusedPixel(button, 1, 1), skin::kFocusRingColor);
  EXPECT_EQ(FocusedPixel(button, 2, 1), kRed);
  EXPECT_EQ(FocusedPixel(button, 3, 1), skin::kFocusRingColor);
  EXPECT_EQ(FocusedPixel(button, 0, 0), kRed);  // the edge itself stays the artwork's
  EXPECT_EQ(FocusedPixel(button, 4, 2), kRed);  // and so does the inside
  button.SetFocused(false);
  EXPECT_EQ(FocusedPixel(button, 1, 1), kRed);
}

TEST_F(SkinButtonTest, FocusRingIsDrawnOverTheCopiedBackgroundToo) {
  const skin::ImageStrip background(skintest::SolidSurface(0xFF000000, 20, 10));
  button.SetBackground(&background, 0, 0);
  button.SetFocused(true);
  EXPECT_EQ(FocusedPixel(button, 1, 1), skin::kFocusRingColor);
  EXPECT_EQ(FocusedPixel(button, 4, 2), kRed);
}

TEST_F(SkinButtonTest, ActivateClicksAnEnabledButtonOnly) {
  int clicks = 0;
  button.OnClicked([&] { ++clicks; });
  button.Activate();
  EXPECT_EQ(clicks, 1);
  button.SetEnabled(false);
  button.Activate();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
