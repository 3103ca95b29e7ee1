// The progress window rendered off screen: the bar, the two text lines and the messages that
// drive them.
#include "updater/app/gtk/VendrelDlg.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "skin/PngResource.h"
#include "tests/vendrel/VendrelMessages.h"

namespace {

using updater::ProgressMessage;
using vendrel::CVendrelDlg;

constexpr int kBarY = 29;

using vendreltest::Message;

class Rendered {
 public:
  explicit Rendered(const CVendrelDlg& dlg) : surface_(skin::MakeArgbSurface(dlg.Width(), dlg.Height())) {
    skin::ContextPtr cr(cairo_create(surface_.get()));
    dlg.Render(cr.get());
    cairo_surface_flush(surface_.get());
  }

  // True when the 8 x 18 block at (x, 29) shows exactly the given resource image.
  bool ShowsImage(int x, cairo_surface_t* image) const {
    cairo_surface_flush(image);
    for (int dy = 0; dy < 18; ++dy) {
      for (int dx = 0; dx < 8; ++dx) {
        if (Pixel(surface_.get(), x + dx, kBarY + dy) != Pixel(image, dx, dy)) return false;
      }
    }
    return true;
  }

  // Number of 8-pixel places from x = 26 that show the segment image.
  int SegmentCount(cairo_surface_t* segment) const {
    int count = 0;
    for (int i = 0; i < 65; ++i) count += ShowsImage(26 + 8 * i, segment) ? 1 : 0;
    return count;
  }

  // True when a row band differs from the background image somewhere (text was drawn).
  bool HasInk(cairo_surface_t* background, int top, int bottom) const {
    return InkColumns(background, top, bottom).first >= 0;
  }

  // First and last column in the row band that differ from the background; -1 when none.
  std::pair<int, int> InkColumns(cairo_surface_t* background, int top, int bottom) const {
    int first = -1, last = -1;
    for (int x = 0; x < 566; ++x) {
      for (int y = top; y < bottom; ++y) {
        if (Pixel(surface_.get(), x, y) != Pixel(background, x, y)) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
    return {first, last};
  }

 private:
  static uint32_t Pixel(cairo_surface_t* s, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const uint32_t*>(row)[x];
  }

  skin::SurfacePtr surface_;
};

class VendrelDlgTest : public ::testing::Test {
 protected:
  CVendrelDlg dlg;
  skin::SurfacePtr background = skin::LoadPngResource(129, "png");
  skin::SurfacePtr leftCap = skin::LoadPngResource(130, "png");
  skin::SurfacePtr segment = skin::LoadPngResource(131, "png");
  skin::SurfacePtr rightCap = skin::LoadPngResource(132, "png");
};

TEST_F(VendrelDlgTest, ArtworkHasTheWindowAndBarSizes) {
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(dlg.Width(), 566);
  EXPECT_EQ(dlg.Height(), 73);
  for (cairo_surface_t* piece : {leftCap.get(), segment.get(), rightCap.get()}) {
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(skin::ImageWidth(piece), 8);
    EXPECT_EQ(skin::ImageHeight(piece), 18);
  }
}

TEST_F(VendrelDlgTest, StepZeroShowsTheLeftCapAndNoSegment) {
  const Rendered out(dlg);
  EXPECT_TRUE(out.ShowsImage(18, leftCap.get()));
  EXPECT_EQ(out.SegmentCount(segment.get()), 0);
  EXPECT_FALSE(out.ShowsImage(538, rightCap.get()));
  EXPECT_FALSE(out.HasInk(background.get(), 0, 29)) << "no status text yet";
}

TEST_F(VendrelDlgTest, EachStepAddsOneSegmentFromTheLeft) {
  for (uint32_t step : {1u, 33u, 65u}) {
    dlg.Handle(Message(updater::WM_UPDATE_STEP, step));
    const Rendered out(dlg);
    EXPECT_EQ(out.SegmentCount(segment.get()), static_cast<int>(step)) << step;
    EXPECT_TRUE(out.ShowsImage(26 + 8 * (static_cast<int>(step) - 1), segment.get())) << step;
    EXPECT_TRUE(out.ShowsImage(18, leftCap.get())) << step;
  }
}

TEST_F(VendrelDlgTest, StepBeyondTheBarIsLimitedToSixtyFiveSegmentsWithoutTheRightCap) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 200));
  EXPECT_EQ(dlg.Step(), 65u);
  const Rendered out(dlg);
  EXPECT_EQ(out.SegmentCount(segment.get()), 65);
  EXPECT_TRUE(out.ShowsImage(538, segment.get()));
  EXPECT_FALSE(out.ShowsImage(538, rightCap.get()));
}

TEST_F(VendrelDlgTest, DoneDrawsTheRightCapOverTheLastSegmentAndEndsWithOk) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 12));
  dlg.Handle(Message(updater::WM_UPDATE_DONE));
  EXPECT_EQ(dlg.Step(), 66u);
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kOk);
  const Rendered out(dlg);
  EXPECT_EQ(out.SegmentCount(segment.get()), 64);
  EXPECT_TRUE(out.ShowsImage(538, rightCap.get()));
}

TEST_F(VendrelDlgTest, FailedEndsWithCancelAndLeavesTheBar) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 7));
  dlg.Handle(Message(updater::WM_UPDATE_FAILED));
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kCancel);
  EXPECT_EQ(dlg.Step(), 7u);
}

TEST_F(VendrelDlgTest, StepTextBecomesTheStatusLine) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 3, 0, u"正在下载文件"));
  EXPECT_EQ(dlg.StatusText(), u"正在下载文件");
  const Rendered out(dlg);
  EXPECT_TRUE(out.HasInk(background.get(), 0, 28));
  EXPECT_FALSE(out.HasInk(background.get(), 49, 73));
}

TEST_F(VendrelDlgTest, StepWithoutTextEmptiesTheStatusLine) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 3, 0, u"正在检查更新"));
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 4));
  EXPECT_EQ(dlg.StatusText(), u"");
  const Rendered out(dlg);
  EXPECT_FALSE(out.HasInk(background.get(), 0, 28));
}

TEST_F(VendrelDlgTest, BytesReadAsReceivedOverExpected) {
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 5120, 4294967295u));
  EXPECT_EQ(dlg.ByteText(), u"5120 Byte/ 4294967295 Byte");
  const Rendered out(dlg);
  EXPECT_TRUE(out.HasInk(background.get(), 49, 73));
}

TEST_F(VendrelDlgTest, BytesWithNothingExpectedEmptyTheByteLine) {
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 10, 20));
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 999, 0));
  EXPECT_EQ(dlg.ByteText(), u"");
  const Rendered out(dlg);
  EXPECT_FALSE(out.HasInk(background.get(), 49, 73));
}

TEST_F(VendrelDlgTest, ByteLineIsCentred) {
  dlg.Handle(Message(updater::WM_UPDATE_BYTES, 1, 2));
  const Rendered out(dlg);
  const auto [first, last] = out.InkColumns(background.get(), 49, 73);
  ASSERT_GE(first, 0);
  EXPECT_NEAR(first, 565 - last, 3);
}

TEST_F(VendrelDlgTest, StatusLineStartsAtItsLeftEdge) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 1, 0, u"正在检查更新"));
  const Rendered out(dlg);
  const auto [first, last] = out.InkColumns(background.get(), 0, 28);
  EXPECT_GE(first, 20);
  EXPECT_LE(first, 23);
  EXPECT_LT(last, 120);
}

TEST_F(VendrelDlgTest, UnknownMessagesChangeNothing) {
  dlg.Handle(Message(updater::WM_UPDATE_STEP, 5, 0, u"x"));
  dlg.Handle(Message(0x405, 9, 9));
  EXPECT_EQ(dlg.Step(), 5u);
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kNone);
}

// Runs the default main context until nothing is pending (bounded).
void Pump() {
  for (int i = 0; i < 1000 && g_main_context_pending(nullptr); ++i) g_main_context_iteration(nullptr, FALSE);
}

TEST(VendrelDlgPosting, MessagesFromAnotherThreadArriveOnTheMainLoopInOrder) {
  CVendrelDlg dlg;
  std::thread worker([&dlg] {
    dlg.Post(Message(updater::WM_UPDATE_STEP, 10, 0, u"第一步"));
    dlg.Post(Message(updater::WM_UPDATE_BYTES, 3, 4));
    dlg.Post(Message(updater::WM_UPDATE_STEP, 20, 0, u"第二步"));
  });
  worker.join();
  EXPECT_EQ(dlg.Step(), 0u) << "posting never handles the message on the spot";
  Pump();
  EXPECT_EQ(dlg.Step(), 20u);
  EXPECT_EQ(dlg.StatusText(), u"第二步");
  EXPECT_EQ(dlg.ByteText(), u"3 Byte/ 4 Byte");
}

TEST(VendrelDlgPosting, PostingFromTheMainThreadIsAlsoDeferred) {
  CVendrelDlg dlg;
  dlg.Post(Message(updater::WM_UPDATE_FAILED));
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kNone);
  Pump();
  EXPECT_EQ(dlg.EndResult(), CVendrelDlg::kCancel);
}

TEST(VendrelDlgPosting, MessagesQueuedForAClosedDialogAreDroppedWithTheirText) {
  // The sanitizer build catches a touch of the destroyed dialog or a leaked text.
  auto closed = std::make_unique<CVendrelDlg>();
  CVendrelDlg open;
  closed->Post(Message(updater::WM_UPDATE_STEP, 10, 0, u"丢弃"));
  open.Post(Message(updater::WM_UPDATE_STEP, 11, 0, u"保留"));
  closed.reset();
  Pump();
  EXPECT_EQ(open.Step(), 11u);
  EXPECT_EQ(open.StatusText(), u"保留");
}

}  // namespace
