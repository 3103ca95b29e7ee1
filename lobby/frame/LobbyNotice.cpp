// What the notice does while the movie player module is missing: its button repairs the
// program directory with the updater, and says so when that cannot help.
#include "lobby/frame/LobbyFrame.h"
#include "platform/DebugLog.h"

namespace lobby {
namespace {

// Under the notice's own text when the updater cannot bring the module back.
constexpr char16_t kCannotRepairText[] = u"无法修复，请重新安装游戏大厅。";

}  // namespace

void CLobbyFrame::StartRepair() {
  if (repair_.Running()) return;
  if (!repair_.Start()) {
    ShowCannotRepair();
    return;
  }
  // The window is hidden meanwhile; the module is looked for again once the updater is done.
  StopTimer(kTimerFlashPoll);
}

void CLobbyFrame::OnRepairTick() {
  const std::optional<RepairEnd> end = repair_.OnTick();
  if (!end) return;
  OnFlashPoll();
  if (moviePlaying_) return;
  StartTimer(kTimerFlashPoll, kFlashPollPeriodMs);
  // Installed files and still no module: the release itself lacks a working one.
  if (*end != RepairEnd::kRetry) ShowCannotRepair();
}

void CLobbyFrame::ShowCannotRepair() {
  const text::WString& shown = notice_.Text();
  if (shown.find(kCannotRepairText) != text::WString::npos) return;
  notice_.SetText(shown + u"\n" + kCannotRepairText);
  platform::DebugLine(u"Quorvane: notice: " + text::WString(kCannotRepairText));
}

}  // namespace lobby
