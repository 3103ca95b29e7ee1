// The Win32 progress window composed off screen with GDI+: the bar, the two text lines and
// the messages that drive them. No window is made.
#include "updater/app/win32/VendrelDlg.h"

#include <utility>

#include "GdiplusTest.h"
#include "skin/PngResource.h"
#include "tests/vendrel/VendrelMessages.h"
#include "updater/app/win32/PostedText.h"

namespace {

using updater::ProgressMessage;
using vendrel::CVendrelDlg;
using skintest::PixelAt;

constexpr int kBarY = 29;
constexpr uint32_t kTextColour = 0xFFFFFF78;
constexpr skin::Rect kStatusBox{20, 0, 500, 28};
constexpr skin::Rect kBytesBox{0, 49, 566, 24};

using vendreltest::Message;

class Rendered {
 public:
  explicit Rendered(const CVendrelDlg& dlg) : bitmap_(dlg.Render()) {}

  Gdiplus::Bitmap& Bitmap() { return *bitmap_; }

  // True when the 8 x 18 block at (x, 29) shows exactly the given resource image.
  bool ShowsImage(int x, Gdiplus::Bitmap& image) const {
    for (int dy = 0; dy < 18; ++dy) {
      for (int dx = 0; dx < 8; ++dx) {
        if (PixelAt(*bitmap_, x + dx, kBarY + dy) != PixelAt(image, dx, dy)) return false;
      }
    }
    return true;
  }

  // Number of 8-pixel places from x = 26 that show the segment image.
  int SegmentCount(Gdiplus::Bitmap& segment) const {
    int count = 0;
    for (int i = 0; i < 65; ++i) count += ShowsImage(26 + 8 * i, segment) ? 1 : 0;
    return count;
  }

  // First and last column in the row band that differ from the background; -1 when none.
  std::pair<int, int> InkColumns(Gdiplus::Bitmap& background, int top, int bottom) const {
    int first = -1, last = -1;
    for (int x = 0; x < 566; ++x) {
      for (int y = top; y < bottom; ++y) {
        if (PixelAt(*bitmap_, x, y) != PixelAt(background, x, y)) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
    return {first, last};
  }

  bool HasInk(Gdiplus::Bitmap& background, int top, int bottom) const {
    return InkColumns(background, top, bottom).first >= 0;
  }

  // Pixels of (nearly) this colour inside the box: text strokes, not their smoothed edges.
  int CountColour(uint32_t argb, const skin::Rect& box) const {
    int count = 0;
    for (int y = box.y; y < box.y + box.height; ++y) {
      for (int x = box.x; x < box.x + box.width; ++x) count += skintest::Near(PixelAt(*bitmap_, x, y), argb);
    }
    return count;
  }

 private:
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

class VendrelRender : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto* image : {&background, &leftCap, &segment, &rightCap}) ASSERT_NE(*image, nullptr);
  }

  CVendrelDlg dlg;
  skin::ImagePtr background = skin::LoadPngResource(129, "png");
  skin::ImagePtr leftCap = skin::LoadPngResource(130, "png");
  skin::ImagePtr segment = skin::LoadPngResource(131, "png");
  skin::ImagePtr rightCap = skin::LoadPngResource(132, "png");
};

TEST_F(VendrelRender, WindowTakesTheBackgroundsSize) {
  EXPECT_EQ(dlg.Width(), 566);
  EXPECT_EQ(dlg.Height(), 73);
  Rendered out(dlg);
  EXPECT_EQ(out.Bitmap().GetWidth(), 566u);
  EXPECT_EQ(out.Bitmap().GetHeight(), 73u);
  EXPECT_EQ(out.Bitmap().GetPixelFormat(), PixelFormat32bppARGB);
}

TEST_F(VendrelRender, StepZeroDrawsTheBackgroundAndTheLeftCapOnly) {
  Rendered out(dlg);
  EXPECT_TRUE(out.ShowsImage(18, *leftCap));
  EXPECT_EQ(out.SegmentCount(*segment), 0);
  EXPECT_FALSE(out.ShowsImage(538, *rightCap));
  EXPECT_EQ(PixelAt(out.Bitmap(), 300, 60), PixelAt(*background, 300, 60));
  EXPECT_FALSE(out.HasInk(*background, 0, 29)) << "no status text yet";
  EXPECT_FALSE(out.HasInk(*background, 49, 73)) << "no byte text yet";
}

TEST_F(VendrelRender, EachStepAddsOneSegmentFromTheLeft) {
  for (uint32_t step : {1u, 33u, 65u}) {
    dlg.Handle(Message(updater::WM_UPDATE_STEP, step));
    const Rendered out(dlg);
    EXPECT_EQ(out.SegmentCount(*segment), static_cast<int>(step)) << step;
    EXPECT_TRUE(out.ShowsImage(26 + 8 * (static_cast<int>(step) - 1), *segment)) << step;
    EXPECT_TRUE(out.ShowsImage(18, *leftCap)) << step;
  }
}

TEST_F(VendrelRender, StepBeyondTheBarDrawsSixtyFiveSegmentsAndNoRightCap) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 200));
  EXPECT_EQ(dlg.Step(), 65u);
  const Rendered out(dlg);
  EXPECT_EQ(out.SegmentCount(*segment), 65);
  EXPECT_TRUE(out.ShowsImage(538, *segment));
  EXPECT_FALSE(out.ShowsImage(538, *rightCap));
}

TEST_F(VendrelRender, DoneDrawsTheRightCapOverTheLastSegmentAndEndsWithOk) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 12));
  dlg.Handle(Message(updater::WM_UPDATE_DONE));
  EXPECT_EQ(dlg.Step(), CVendrelDlg::kComplete);
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kOk);
  EXPECT_EQ(dlg.ExitCode(), 0);
  const Rendered out(dlg);
  EXPECT_EQ(out.SegmentCount(*segment), 64);
  EXPECT_TRUE(out.ShowsImage(538, *rightCap));
}

TEST_F(VendrelRender, FailedEndsWithCancelAtTheLastStep) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 7));
  dlg.Handle(Message(updater::WM_UPDATE_FAILED));
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kCancel);
  EXPECT_EQ(dlg.ExitCode(), 1);
  EXPECT_EQ(dlg.Step(), 7u);
}

TEST_F(VendrelRender, StatusTextIsDrawnInTheLabelColourFromTheLeftOfItsBox) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 30, 0, u"正在下载文件"));
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 5120, 4294967295u));
  EXPECT_EQ(dlg.StatusText(), u"正在下载文件");
  EXPECT_EQ(dlg.ByteText(), u"5120 Byte/ 4294967295 Byte");
  Rendered out(dlg);
  EXPECT_GT(out.CountColour(kTextColour, kStatusBox), 20);
  const auto [first, last] = out.InkColumns(*background, 0, 28);
  EXPECT_GE(first, 20);
  EXPECT_LE(first, 23);
  EXPECT_LT(last, 120);
  // The byte line is centred in the window's width.
  const auto [bytesFirst, bytesLast] = out.InkColumns(*background, 49, 73);
  ASSERT_GE(bytesFirst, 0);
  EXPECT_NEAR(bytesFirst, 565 - bytesLast, 3);
  EXPECT_GT(out.CountColour(kTextColour, kBytesBox), 20);
  // For a person to compare with the GTK window.
  EXPECT_TRUE(skintest::SavePng(out.Bitmap(), L"vendrel-window.png"));
}

TEST_F(VendrelRender, StepWithoutTextEmptiesTheStatusLine) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 3, 0, u"正在检查更新"));
  ASSERT_TRUE(Rendered(dlg).HasInk(*background, 0, 28));
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 4));
  EXPECT_EQ(dlg.StatusText(), u"");
  EXPECT_FALSE(Rendered(dlg).HasInk(*background, 0, 28));
}

TEST_F(VendrelRender, BytesWithNothingExpectedEmptyTheByteLine) {
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 10, 20));
  ASSERT_TRUE(Rendered(dlg).HasInk(*background, 49, 73));
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 999, 0));
  EXPECT_EQ(dlg.ByteText(), u"");
  EXPECT_FALSE(Rendered(dlg).HasInk(*background, 49, 73));
}

TEST_F(VendrelRender, PostingWithoutAWindowDropsTheMessageAndItsText) {
  const int before = vendrel::posted::InFlight();
  dlg.Post(Message(updater::WM_UPDATE_STEP, 9, 0, u"无窗口"));
  EXPECT_EQ(vendrel::posted::InFlight(), before);
  EXPECT_EQ(dlg.Step(), 0u);
}

}  // namespace
