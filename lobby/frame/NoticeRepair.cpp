#include "lobby/frame/NoticeRepair.h"

#include "contract/Contract.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/update/UpdateTask.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"

namespace lobby {

RepairEnd RepairEndFor(std::optional<int> exitCode) {
  if (!exitCode) return RepairEnd::kRetry;
  switch (static_cast<contract::UpdaterExit>(*exitCode)) {
    case contract::UpdaterExit::kInstalled: return RepairEnd::kInstalled;
    case contract::UpdaterExit::kFailed: return RepairEnd::kRetry;
    case contract::UpdaterExit::kNothingToDo:
    case contract::UpdaterExit::kRefused:
    case contract::UpdaterExit::kNotRun: return RepairEnd::kReinstall;
  }
  return RepairEnd::kReinstall;  // a code no updater of ours gives
}

NoticeRepair::NoticeRepair(IFrameWindow& frame, const ClientConfig& config, text::WString stagingRoot)
    : frame_(frame),
      config_(config),
      stagingRoot_(stagingRoot.empty() ? platform::StagingRoot(contract::kCorp) : std::move(stagingRoot)),
      updaterLock_(contract::UpdaterLockName()) {}

NoticeRepair::~NoticeRepair() = default;

bool NoticeRepair::Start() {
  if (task_) return true;
  auto task = std::make_unique<UpdateTask>(text::Ascii(contract::kLobbyName), config_.GetMainPath(), config_,
                                           stagingRoot_);
  // Without a record of the installed version there is no list to compare the files with.
  if (!task->ReadInstalledVersion() || task->Version.empty()) {
    platform::DebugLine(u"Quorvane: no installed version of the lobby is recorded; the player cannot be repaired");
    return false;
  }
  // No restart: this lobby stays and loads the module once it is back.
  if (!task->LaunchUpdater(false)) {
    platform::DebugLine(u"Quorvane: the updater cannot be started; the player cannot be repaired");
    return false;
  }
  task_ = std::move(task);
  frame_.StartTimer(kTimerRepairWait, kWaitTimerPeriodMs);
  frame_.ShowWindow(false);
  return true;
}

std::optional<RepairEnd> NoticeRepair::OnTick() {
  if (!task_) {
    frame_.StopTimer(kTimerRepairWait);
    return std::nullopt;
  }
  if (IsUpdaterRunning(*task_, updaterLock_)) return std::nullopt;
  frame_.StopTimer(kTimerRepairWait);
  const std::optional<int> code = task_->UpdaterExitCode();
  task_.reset();
  frame_.ShowWindow(true);
  return RepairEndFor(code);
}

}  // namespace lobby
