// The updater's progress window: an orange strip with a bar of up to 65 segments, a status line
// and a byte count. The worker drives it only through Post; everything else runs on the GTK
// main thread. The state and the painting work without a display, so tests render it to an
// image.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "skin/Cairo.h"
#include "skin/ImageStrip.h"
#include "skin/SkinStatic.h"
#include "text/Text.h"
#include "updater/Messages.h"

namespace vendrel {

class CVendrelDlg : public updater::IProgressWindow {
 public:
  enum Result { kNone = 0, kOk = 1, kCancel = 2 };

  static constexpr unsigned kMaxSegments = 65;
  static constexpr unsigned kComplete = 66;  // the step of a finished run: right cap shown

  // Loads the artwork and sets up both text lines; no window yet.
  CVendrelDlg();
  ~CVendrelDlg() override;
  CVendrelDlg(const CVendrelDlg&) = delete;
  CVendrelDlg& operator=(const CVendrelDlg&) = delete;

  // Any thread: hands the message to the main loop, which handles it in posting order.
  // Messages still queued when the dialog is gone are dropped with their text.
  void Post(updater::ProgressMessage message) override;

  // Main thread: applies one message.
  void Handle(const updater::ProgressMessage& message);

  // Called once the window is up; false (the worker did not start) closes the dialog.
  void OnStart(std::function<bool()> start) { start_ = std::move(start); }

  // Shows the window and runs the main loop until the dialog ends. Needs gtk_init.
  Result DoModal();
  void EndDialog(Result result);

  // Paints the whole window at (0, 0) of the context.
  void Render(cairo_t* cr) const;

  unsigned Step() const { return step_; }
  const text::WString& StatusText() const { return status_.Text(); }
  const text::WString& ByteText() const { return bytes_.Text(); }
  Result EndResult() const { return result_; }
  // The process's exit code: 0 only when the worker reported the update done; a window closed
  // before that (Enter or Escape mid-update, a failure) gives 1.
  int ExitCode() const { return completed_ ? 0 : 1; }
  int Width() const;
  int Height() const;

  // GTK event handlers.
  void OnKey(guint keyval);
  void OnButtonPress(GdkEventButton* event);

 private:
  void LoadImages();
  void SetUpTexts();
  GtkWidget* MakeWindow();
  void Redraw();
  void EndAfterHold();
  void CloseWindow();

  skin::ImageStrip background_;
  skin::ImageStrip leftCap_;
  skin::ImageStrip segment_;
  skin::ImageStrip rightCap_;
  unsigned step_ = 0;
  skin::CSkinStatic status_;
  skin::CSkinStatic bytes_;
  Result result_ = kNone;
  bool completed_ = false;  // WM_UPDATE_DONE arrived
  std::function<bool()> start_;
  GtkWidget* window_ = nullptr;
  GMainLoop* loop_ = nullptr;
  guint closeTimer_ = 0;
  // Shared with queued messages so they can tell the dialog is gone.
  std::shared_ptr<CVendrelDlg*> self_;
};

// The byte line for received and expected bytes; empty when nothing is expected.
text::WString ByteLine(uint32_t received, uint32_t expected);

}  // namespace vendrel
