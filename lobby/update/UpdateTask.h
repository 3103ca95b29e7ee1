// One program to keep up to date (the lobby or a game): its installed version, the server's
// version, and the hand-over to the updater.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contract/Contract.h"
#include "lobby/update/VersionFetch.h"
#include "text/Text.h"

namespace platform {
class ChildProcess;
}

namespace lobby {

class ClientConfig;

// Why a version check gave no usable answer.
enum class CheckFailure {
  kNone,
  kUnreachable,  // no answer, a broken transfer, or a status other than "not found"
  kNoRelease,    // the server answered, but has no usable version file for this program
};

class UpdateTask {
 public:
  // Uses ClientConfig::Instance() and the per-user staging root.
  UpdateTask(text::WString name, text::WString programDir);
  // Same, with the configuration and the download root given; a root that is empty or not
  // absolute means the per-user staging root. The download directory is root/Corp/Name, with
  // "_" for a Corp or Name that would leave the root, so no update reaches another folder.
  // It is made when a version check starts or the updater is started, not before: a task that
  // only waits holds no directory.
  UpdateTask(text::WString name, text::WString programDir, const ClientConfig& config,
             const text::WString& stagingRoot);

  // True when ProgramDir/Update.cfg names this program; its version goes to Version first.
  bool ReadInstalledVersion();
  // Makes the download directory (and its Corp level) if it is not there.
  void CreateDownloadDirectory() const;
  // Asks the server for its version file: kCurrent, kNoAnswer or kNewer, which sets Version to
  // the server's version. LastFailure says why when it is kNoAnswer.
  contract::GameState CheckLatestVersion();
  // Starts the updater from the lobby's directory with this task's options; never waits.
  // True when the updater process was really started.
  bool LaunchUpdater(bool reboot);
  // True while the updater this task started has not ended: a slowly starting updater that
  // has not taken its lock yet still counts as running.
  bool UpdaterProcessRunning() const;
  // The code the updater this task started ended with; nothing before it has been seen to
  // end, or when it did not end by itself.
  std::optional<int> UpdaterExitCode() const;

  // The updater's argument vector, argv[0] included.
  std::vector<std::string> UpdaterArguments(bool reboot) const;
  std::string UpdaterPath() const;

  void SetFetchLimits(const FetchLimits& limits) { limits_ = limits; }

  text::WString Corp;
  text::WString ProgramDir;
  text::WString Name;
  text::WString Version = u"0";
  text::WString PackageUrl;
  text::WString DownloadDir;
  text::WString Param;
  CheckFailure LastFailure = CheckFailure::kNone;

 private:
  text::WString mainPath_;
  FetchLimits limits_;
  std::shared_ptr<platform::ChildProcess> updater_;
};

// The version of `name` recorded in programDir/Update.cfg; empty when there is no record of it.
text::WString InstalledVersion(const text::WString& name, const text::WString& programDir);

// Versions compare as plain text, code unit by code unit: "1.0.10" sorts before "1.0.9".
bool VersionSortsBefore(const text::WString& a, const text::WString& b);

// True while an updater holds its lock or the updater `task` started has not ended.
bool IsUpdaterRunning(const UpdateTask& task, const std::string& lockName);
// True while an updater holds the single-instance lock `lockName`.
bool IsUpdaterRunning(const std::string& lockName);

}  // namespace lobby
