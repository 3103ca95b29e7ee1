// The real Win32 popup under Wine: its shape, dragging, painting, the modal loop and the
// texts that travel through its message queue.
#include "updater/app/win32/VendrelDlg.h"

#include <string>
#include <thread>

#include "GdiplusTest.h"
#include "tests/vendrel/VendrelMessages.h"
#include "updater/app/win32/PostedText.h"

namespace {

using updater::ProgressMessage;
using vendrel::CVendrelDlg;

using vendreltest::Message;

LPARAM ScreenPoint(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  return MAKELPARAM(p.x, p.y);
}

// The client area as it is on the screen, pixel (x, y) as 0x00RRGGBB.
uint32_t ScreenPixel(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

class VendrelWindow : public ::testing::Test {
 protected:
  void SetUp() override { inFlight = vendrel::posted::InFlight(); }
  void TearDown() override { EXPECT_EQ(vendrel::posted::InFlight(), inFlight) << "texts leaked"; }

  CVendrelDlg dlg;
  int inFlight = 0;
};

TEST_F(VendrelWindow, IsATopmostPopupOfTheBackgroundsSizeCentredAndTitledVendrel) {
  dlg.OnStart([this] {
    HWND hwnd = dlg.Window();
    EXPECT_NE(hwnd, nullptr);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 566);
    EXPECT_EQ(client.bottom, 73);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    EXPECT_EQ(std::wstring(title), L"Vendrel");
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
    RECT work{}, window{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(hwnd, &window);
    EXPECT_NEAR(window.left - work.left, work.right - window.right, 1);
    EXPECT_NEAR(window.top - work.top, work.bottom - window.bottom, 1);
    EXPECT_NE(SendMessageW(hwnd, WM_ERASEBKGND, 0, 0), 0) << "erasing is left to the paint";
    dlg.Post(Message(updater::WM_UPDATE_DONE));
    return true;
  });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kOk);
  EXPECT_EQ(dlg.Window(), nullptr);
}

TEST_F(VendrelWindow, DraggingWorksAnywhereOnTheBackground) {
  dlg.OnStart([this] {
    HWND hwnd = dlg.Window();
    for (POINT at : {POINT{1, 1}, POINT{300, 40}, POINT{565, 72}}) {
      EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, at.x, at.y)), HTCAPTION)
          << at.x << "," << at.y;
    }
    EXPECT_NE(SendMessageW(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 600, 100)), HTCAPTION);
    return false;  // ends the run
  });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kCancel);
}

TEST_F(VendrelWindow, PaintShowsTheComposedWindow) {
  dlg.OnStart([this] {
    HWND hwnd = dlg.Window();
    dlg.Handle(Message(updater::WM_UPDATE_STEP, 65));
    UpdateWindow(hwnd);
    std::unique_ptr<Gdiplus::Bitmap> composed = dlg.Render();
    for (POINT at : {POINT{22, 38}, POINT{300, 38}, POINT{542, 38}, POINT{5, 5}, POINT{300, 65}}) {
      EXPECT_EQ(ScreenPixel(hwnd, at.x, at.y),
                skintest::PixelAt(*composed, at.x, at.y) & 0xFFFFFFu)
          << at.x << "," << at.y;
    }
    return false;
  });
  dlg.DoModal();
}

TEST_F(VendrelWindow, DoneFromTheWorkerEndsTheLoopWithExitCodeZero) {
  std::thread worker;
  dlg.OnStart([&] {
    worker = std::thread([this] {
      dlg.Post(Message(updater::WM_UPDATE_STEP, 40, 0, u"正在安装"));
      dlg.Post(Message(updater::WM_UPDATE_BYTES, 3, 4));
      dlg.Post(Message(updater::WM_UPDATE_DONE));
    });
    return true;
  });
  EXPECT_EQ(dlg.DoModal(), CVendrelDlg::kOk);
  worker.join();
  EXPECT_EQ(dlg.ExitCode(), 0);
  EXPECT_EQ(dlg.Step(), CVendrelDlg::kComplete);
  EXPECT_EQ(dlg.StatusText(), u"正在安装") << "the text came through the queue";
  EXPECT_EQ(dlg.ByteText(), u"3 Byte/ 4 Byte");
}

TEST_F(VendrelWindow, EnterOrEscapeMidUpdateEndTheLoopWithExitCodeOne) {
  const struct {
    WPARAM key;
    CVendrelDlg::Result result;
  } cases[] = {{VK_ESCAPE, CVendrelDlg::kCancel}, {VK_RETURN, CVendrelDlg::kOk}};
  for (const auto& c : cases) {
    CVendrelDlg run;
    run.OnStart([&run, &c] {
      run.Post(Message(updater::WM_UPDATE_STEP, 20));
      PostMessageW(run.Window(), WM_KEYDOWN, c.key, 0);
      return true;
    });
    EXPECT_EQ(run.DoModal(), c.result) << c.key;
    EXPECT_EQ(run.Step(), 20u) << c.key;
    EXPECT_EQ(run.ExitCode(), 1) << c.key;
  }
}

TEST_F(VendrelWindow, TextsLeftInTheQueueOrPostedAfterTheWindowAreFreed) {
  dlg.OnStart([this] {
    PostMessageW(dlg.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    for (uint32_t step = 1; step <= 3; ++step) {
      dlg.Post(Message(updater::WM_UPDATE_STEP, step, 0, u"还在队列里"));
    }
    return true;
  });
  dlg.DoModal();
  EXPECT_EQ(dlg.Step(), 0u) << "the loop ended before the steps were handled";
  EXPECT_EQ(vendrel::posted::InFlight(), inFlight);
  std::thread late([this] { dlg.Post(Message(updater::WM_UPDATE_STEP, 9, 0, u"太晚了")); });
  late.join();
  dlg.Post(Message(updater::WM_UPDATE_STEP, 10, 0, u"也太晚了"));
  EXPECT_EQ(vendrel::posted::InFlight(), inFlight);
  EXPECT_EQ(dlg.Step(), 0u);
}

}  // namespace
