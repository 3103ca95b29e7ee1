#include "updater/app/VendrelDlgBase.h"

#include <algorithm>

#include "updater/app/VendrelLayout.h"

namespace vendrel {

text::WString ByteLine(uint32_t received, uint32_t expected) {
  if (expected == 0) return {};
  return text::FormatUInt(received) + u" Byte/ " + text::FormatUInt(expected) + u" Byte";
}

void VendrelDlgBase::Handle(const updater::ProgressMessage& message) {
  switch (message.id) {
    case updater::WM_UPDATE_STEP:
      step_ = std::min<unsigned>(message.wParam, kMaxSegments);
      status_ = message.text ? *message.text : text::WString();
      Changed();
      break;
    case updater::WM_UPDATE_BYTES:
      bytes_ = ByteLine(message.wParam, message.lParam);
      Changed();
      break;
    case updater::WM_UPDATE_FAILED:
      if (message.wParam != 0) ended_ = static_cast<contract::UpdaterExit>(message.wParam);
      if (ended_ == contract::UpdaterExit::kRefused && result_ == kNone) {
        // The status line says why nothing was installed; leave it up long enough to be read.
        result_ = kCancel;
        QuitAfterHold(layout::kRefusedHoldMs);
      } else {
        EndDialog(kCancel);
      }
      break;
    case updater::WM_UPDATE_DONE:
      completed_ = true;
      step_ = kComplete;
      Changed();
      if (result_ == kNone) {
        result_ = kOk;
        // Let the complete bar be seen before the window goes.
        QuitAfterHold(layout::kDoneHoldMs);
      }
      break;
    default:
      break;
  }
}

VendrelDlgBase::Result VendrelDlgBase::DoModal() {
  OpenWindow();
  if (start_ && !start_()) {
    // The worker never ran, so nothing else would close the window.
    updater::ProgressMessage failed;
    failed.id = updater::WM_UPDATE_FAILED;
    Post(std::move(failed));
  }
  if (result_ == kNone) RunModalLoop();
  DisposeWindow();
  return result_;
}

void VendrelDlgBase::Changed() {
  art_.status.SetText(status_);
  art_.bytes.SetText(bytes_);
  Repaint();
}

void VendrelDlgBase::Compose(skin::Canvas canvas) const {
  skin::DrawImageAt(canvas, art_.background, 0, 0);
  skin::DrawImageAt(canvas, art_.leftCap, layout::kLeftCapX, layout::kBarY);
  for (unsigned i = 0; i < SegmentsShown(); ++i) {
    skin::DrawImageAt(canvas, art_.segment, layout::SegmentX(i), layout::kBarY);
  }
  if (RightCapShown()) skin::DrawImageAt(canvas, art_.rightCap, layout::kRightCapX, layout::kBarY);
  skin::PaintAt(canvas, art_.status, layout::kStatusBox.x, layout::kStatusBox.y);
  skin::PaintAt(canvas, art_.bytes, layout::kBytesBox.x, layout::kBytesBox.y);
}

void VendrelDlgBase::EndDialog(Result result) {
  if (result_ == kNone) result_ = result;
  QuitModalLoop();
}

}  // namespace vendrel
