#include "updater/app/win32/VendrelDlg.h"

#include "updater/app/win32/PostedText.h"

namespace vendrel {

using updater::ProgressMessage;

CVendrelDlg::~CVendrelDlg() {
  if (hwnd_) DisposeWindow();
}

void CVendrelDlg::Post(ProgressMessage message) {
  // The text rides in the lParam of a step, as the worker's messages always carried it.
  LPARAM lParam = message.lParam;
  if (message.id == updater::WM_UPDATE_STEP) lParam = posted::Release(std::move(message.text));
  std::lock_guard<std::mutex> lock(postLock_);
  if (hwnd_ && PostMessageW(hwnd_, message.id, message.wParam, lParam)) return;
  if (message.id == updater::WM_UPDATE_STEP) posted::TakeBack(lParam);  // nobody will
}

void CVendrelDlg::Repaint() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

std::unique_ptr<Gdiplus::Bitmap> CVendrelDlg::Render() const {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(Width(), Height(), PixelFormat32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  Compose(g);
  return bitmap;
}

}  // namespace vendrel
