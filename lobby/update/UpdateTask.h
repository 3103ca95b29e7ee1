// One program to keep up to date (the lobby or a game): its installed version, the server's
// version, and the hand-over to the updater.
#pragma once

#include <string>
#include <vector>

#include "lobby/update/VersionFetch.h"
#include "text/Text.h"

namespace lobby {

class ClientConfig;

class UpdateTask {
 public:
  enum CheckResult { kUpToDate = 0, kNoAnswer = 1, kNewer = 2 };

  // Uses ClientConfig::Instance() and the per-user staging root.
  UpdateTask(text::WString name, text::WString programDir);
  // Same, with the configuration and the download root given. An empty root leaves the
  // download directory relative and uncreated (the updater creates it).
  UpdateTask(text::WString name, text::WString programDir, const ClientConfig& config,
             const text::WString& stagingRoot);

  // True when ProgramDir/Update.cfg names this program; its version goes to Version first.
  bool ReadInstalledVersion();
  // Asks the server for its version file; kNewer sets Version to the server's version.
  int CheckLatestVersion();
  // Starts the updater from the lobby's directory with this task's options; never waits.
  bool LaunchUpdater(bool reboot);

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

 private:
  text::WString mainPath_;
  FetchLimits limits_;
};

// Versions compare as plain text, code unit by code unit: "1.0.10" sorts before "1.0.9".
bool VersionSortsBefore(const text::WString& a, const text::WString& b);

// True while an updater holds its single-instance lock.
bool IsUpdaterRunning();
// The same test on another lock name (tests use a private one).
bool IsUpdaterRunning(const std::string& lockName);

}  // namespace lobby
