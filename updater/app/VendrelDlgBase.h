// What the updater's progress window knows and does, whatever draws it: the step of the bar,
// the status and byte lines, how the worker's four messages change them, how the window is
// composed from its artwork, and how the dialog ends. Each window backend (gtk/, win32/)
// derives its CVendrelDlg from this and supplies the window, its main loop and the posting of
// messages to it.
#pragma once

#include <cstdint>
#include <functional>

#include "contract/Contract.h"
#include "text/Text.h"
#include "updater/Messages.h"
#include "updater/app/VendrelArtwork.h"

namespace vendrel {

class VendrelDlgBase : public updater::IProgressWindow {
 public:
  enum Result { kNone = 0, kOk = 1, kCancel = 2 };

  static constexpr unsigned kMaxSegments = contract::kStepInstalling;
  static constexpr unsigned kComplete = contract::kStepComplete;  // right cap shown

  // Loads the artwork and sets up both text lines; no window yet.
  VendrelDlgBase() = default;
  VendrelDlgBase(const VendrelDlgBase&) = delete;
  VendrelDlgBase& operator=(const VendrelDlgBase&) = delete;

  // Main thread: applies one message.
  void Handle(const updater::ProgressMessage& message);

  // Called once the window is up; false (the worker did not start) closes the dialog.
  void OnStart(std::function<bool()> start) { start_ = std::move(start); }

  // Shows the window and runs its loop until the dialog ends; then the window goes.
  Result DoModal();
  // The first ending counts; the loop ends at once.
  void EndDialog(Result result);
  // The keys every dialog knows, also in the middle of the update.
  void OnEnter() { EndDialog(kOk); }
  void OnEscape() { EndDialog(kCancel); }

  unsigned Step() const { return step_; }
  unsigned SegmentsShown() const { return step_ < kMaxSegments ? step_ : kMaxSegments; }
  bool RightCapShown() const { return step_ == kComplete; }
  const text::WString& StatusText() const { return status_; }
  const text::WString& ByteText() const { return bytes_; }
  Result EndResult() const { return result_; }
  // The window's size: the background's, or the fixed size without it.
  int Width() const { return art_.Width(); }
  int Height() const { return art_.Height(); }
  // The process's exit code: installed only when the worker reported the update done; else the
  // outcome the worker's failure message carried (nothing to do, refused), and failed for a
  // window closed before the end (Enter or Escape mid-update).
  int ExitCode() const { return static_cast<int>(completed_ ? contract::UpdaterExit::kInstalled : ended_); }

 protected:
  ~VendrelDlgBase() override = default;

  // The backend's window: created and shown; its loop; destroyed.
  virtual void OpenWindow() = 0;
  virtual void RunModalLoop() = 0;
  virtual void DisposeWindow() = 0;
  // Ends the running loop; nothing when none runs.
  virtual void QuitModalLoop() = 0;
  // Ends the running loop after a hold of `ms`; nothing when none runs.
  virtual void QuitAfterHold(unsigned ms) = 0;
  // The step or a text changed and the labels hold the new texts: the window repaints.
  virtual void Repaint() = 0;

  // Draws the whole window at (0, 0) of the canvas: the background, the bar and both lines.
  void Compose(skin::Canvas canvas) const;

 private:
  void Changed();

  VendrelArtwork art_;
  unsigned step_ = 0;
  text::WString status_;
  text::WString bytes_;
  Result result_ = kNone;
  bool completed_ = false;  // WM_UPDATE_DONE arrived
  contract::UpdaterExit ended_ = contract::UpdaterExit::kFailed;
  std::function<bool()> start_;
};

// The byte line for received and expected bytes; empty when nothing is expected.
text::WString ByteLine(uint32_t received, uint32_t expected);

}  // namespace vendrel
