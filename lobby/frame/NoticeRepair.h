// The notice's download button when the movie player module is missing: the module is one of
// the lobby's own files, so the updater is run on the lobby's installed version, which fetches
// every file of that version that is missing or damaged. The frame is hidden while it runs, as
// around any update, and shown again when it ends.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "lobby/core/IFrameWindow.h"
#include "text/Text.h"

namespace lobby {

class ClientConfig;
class UpdateTask;

// Ticks while the repair's updater runs.
inline constexpr int kTimerRepairWait = 2004;

// How a repair ended, for the notice.
enum class RepairEnd {
  kInstalled,  // files were fetched: the module should load now
  kRetry,      // the run failed on its way (network, disk, its window closed): the button may help later
  kReinstall,  // it cannot help: nothing was missing, the release is refused, or no run was possible
};

// What an updater's exit code (none: it did not end by itself) means for the notice.
RepairEnd RepairEndFor(std::optional<int> exitCode);

class NoticeRepair {
 public:
  // `stagingRoot` as for UpdateTask (empty: the per-user staging root).
  NoticeRepair(IFrameWindow& frame, const ClientConfig& config, text::WString stagingRoot = {});
  ~NoticeRepair();
  NoticeRepair(const NoticeRepair&) = delete;
  NoticeRepair& operator=(const NoticeRepair&) = delete;

  // Starts the updater on the version the program directory's Update.cfg records for the
  // lobby, hides the frame and starts kTimerRepairWait. False, with nothing started, when there
  // is no such record or the updater cannot be started.
  bool Start();
  bool Running() const { return task_ != nullptr; }
  // One tick of kTimerRepairWait: nothing while the updater runs; once it has ended, the timer
  // is stopped, the frame shown again, and the end returned.
  std::optional<RepairEnd> OnTick();

  void SetUpdaterLockName(std::string name) { updaterLock_ = std::move(name); }

 private:
  IFrameWindow& frame_;
  const ClientConfig& config_;
  text::WString stagingRoot_;
  std::string updaterLock_;
  std::unique_ptr<UpdateTask> task_;
};

}  // namespace lobby
