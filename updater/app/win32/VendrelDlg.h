// The updater's progress window on Windows: a borderless, topmost popup the size of its
// background image, painted with GDI+ in one off-screen ARGB bitmap per paint. The worker
// drives it only through Post (PostMessageW of WM_USER+1..4); everything else runs on the
// thread that calls DoModal. The state and the painting work without a window, so tests
// render it to a bitmap. Needs a GDI+ session.
#pragma once

#include "updater/app/win32/Windows.h"
// Windows.h first: the GDI+ headers would bring in windows.h on their own.
#include <memory>
#include <mutex>

#include "updater/app/VendrelDlgBase.h"

namespace vendrel {

class CVendrelDlg : public VendrelDlgBase {
 public:
  ~CVendrelDlg() override;

  // Any thread: posts the message to the window, which handles it in posting order. A message
  // posted while there is no window, or left in the queue when the window goes, is dropped
  // with its text.
  void Post(updater::ProgressMessage message) override;

  // The whole window composed in a 32-bit ARGB bitmap of its size.
  std::unique_ptr<Gdiplus::Bitmap> Render() const;

  // The window while DoModal runs; null before and after.
  HWND Window() const { return hwnd_; }

  // The window procedure's work for this dialog.
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void OpenWindow() override;
  void RunModalLoop() override;
  void DisposeWindow() override;
  void QuitModalLoop() override;
  void QuitAfterHold(unsigned ms) override;
  void Repaint() override;

  void Paint(HWND hwnd) const;
  LRESULT HitTest(HWND hwnd, WPARAM wParam, LPARAM lParam) const;
  void DropQueued(HWND hwnd);

  HICON icon_ = nullptr;  // shared with the system: never destroyed
  bool looping_ = false;
  bool quit_ = false;
  // The window the worker posts to. Posting and the window's going hold the lock, so no
  // message reaches a window after its queue was cleared for the last time.
  std::mutex postLock_;
  HWND hwnd_ = nullptr;
};

}  // namespace vendrel
