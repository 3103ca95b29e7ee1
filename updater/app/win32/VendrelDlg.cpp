#include "updater/app/win32/VendrelDlg.h"

#include "updater/app/VendrelLayout.h"
#include "updater/app/win32/PostedText.h"

namespace vendrel {
namespace {

using updater::ProgressMessage;

void DrawAt(Gdiplus::Graphics& g, const skin::ImageStrip& strip, int x, int y) {
  if (strip.HasImage()) skin::DrawFrame(g, strip, 1, skin::Rect{x, y, strip.Width(), strip.Height()});
}

void PaintLabel(Gdiplus::Graphics& g, const skin::CSkinStatic& label, const skin::Rect& box) {
  const Gdiplus::GraphicsState state = g.Save();
  g.TranslateTransform(static_cast<Gdiplus::REAL>(box.x), static_cast<Gdiplus::REAL>(box.y));
  label.Paint(g);
  g.Restore(state);
}

}  // namespace

CVendrelDlg::CVendrelDlg() = default;

CVendrelDlg::~CVendrelDlg() {
  if (hwnd_) DisposeWindow();
}

int CVendrelDlg::Width() const { return art_.Width(); }

int CVendrelDlg::Height() const { return art_.Height(); }

void CVendrelDlg::Post(ProgressMessage message) {
  // The text rides in the lParam of a step, as the worker's messages always carried it.
  LPARAM lParam = message.lParam;
  if (message.id == updater::WM_UPDATE_STEP) lParam = posted::Release(std::move(message.text));
  std::lock_guard<std::mutex> lock(postLock_);
  if (hwnd_ && PostMessageW(hwnd_, message.id, message.wParam, lParam)) return;
  if (message.id == updater::WM_UPDATE_STEP) posted::TakeBack(lParam);  // nobody will
}

void CVendrelDlg::Changed() {
  art_.status.SetText(StatusText());
  art_.bytes.SetText(ByteText());
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CVendrelDlg::Compose(Gdiplus::Graphics& g) const {
  DrawAt(g, art_.background, 0, 0);
  DrawAt(g, art_.leftCap, layout::kLeftCapX, layout::kBarY);
  for (unsigned i = 0; i < SegmentsShown(); ++i) {
    DrawAt(g, art_.segment, layout::SegmentX(i), layout::kBarY);
  }
  if (RightCapShown()) DrawAt(g, art_.rightCap, layout::kRightCapX, layout::kBarY);
  PaintLabel(g, art_.status, layout::kStatusBox);
  PaintLabel(g, art_.bytes, layout::kBytesBox);
}

std::unique_ptr<Gdiplus::Bitmap> CVendrelDlg::Render() const {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(Width(), Height(), PixelFormat32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  Compose(g);
  return bitmap;
}

}  // namespace vendrel
