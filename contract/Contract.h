// What the lobby, the updater and the publisher must agree on: the brand word, the programs'
// names and locks, the files they hand each other, the updater's command line, exit codes and
// progress steps, and the game states the movie is told. Installed programs, stored files and
// the movie rely on every value here as it is.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/InstanceLock.h"
#include "text/Text.h"

namespace contract {

// The brand word: the per-user folders, the lock names, and the first level of a program's
// directory on the update server.
inline constexpr const char* kCorp = "Zemba";

// The programs, by executable name without its suffix.
inline constexpr const char* kLobbyName = "Quorvane";
inline constexpr const char* kUpdaterName = "Vendrel";

inline std::string LobbyLockName() { return platform::InstanceLockName(kLobbyName, kCorp); }
// The lobby tests it to learn whether an update runs.
inline std::string UpdaterLockName() { return platform::InstanceLockName(kUpdaterName, kCorp); }

// --- Files ---------------------------------------------------------------------------------

// A program's version record in its own directory; it arrives as one of the update's files.
inline constexpr const char* kVersionRecordName = "Update.cfg";
// A program's version on the update server, in its directory "<corp>/<name>".
inline constexpr const char* kServerVersionName = "UpdateVersion.xml";
// The keys a program directory trusts, beside the updater.
inline constexpr const char* kKeyFileName = "UpdateKeys.pub";
// The file list; on the server it is zipped as "UpdateList.xml.<key>", signed as "<that>.sig".
inline constexpr const char* kListName = "UpdateList.xml";
inline constexpr const char* kSignatureSuffix = ".sig";

// The top of the updater's download directory: the zipped list and its signature as fetched,
// the resume log, and the log of a failed download.
inline constexpr const char* kListArchiveName = "UpdateList.xml.zip";
inline constexpr const char* kListSignatureName = "UpdateList.xml.sig";
inline constexpr const char* kLogName = "UpdateLog.xml";
inline constexpr const char* kErrorLogName = "UpdateLogError.xml";
// Every name above that the updater writes there, the unpacked list included.
inline constexpr const char* kDownloadOwnNames[] = {kLogName, kErrorLogName, kListName, kListArchiveName,
                                                    kListSignatureName};
// Each listed file's archive is "<name>.zip" beside its unpacked file; what makes continuing a
// partial one safe is kept in "<name>.zip.range".
inline constexpr const char* kArchiveSuffix = ".zip";
inline constexpr const char* kRangeSuffix = ".range";

// The version without its dots: "1.0.12" -> "1012". Names the version's server directory and
// is the extension of every file published in it.
inline text::WString VersionKey(text::WStringView version) {
  text::WString key(version);
  key.erase(std::remove(key.begin(), key.end(), u'.'), key.end());
  return key;
}

// Clients compare versions as plain text, code unit by code unit: "1.0.10" sorts before
// "1.0.9". A server's version is newer only when the installed one sorts before it.
inline bool VersionSortsBefore(text::WStringView a, text::WStringView b) { return a < b; }

// A program's directory on the update server, as clients address it: the configured update
// address, the brand word and the program name, all in lower case (the server tree's spelling).
inline text::WString PackageUrl(text::WStringView updateUrl, text::WStringView corp, text::WStringView name) {
  return text::AsciiLower(text::WString(updateUrl) + u"/" + text::WString(corp) + u"/" + text::WString(name));
}

// --- The updater's command line ------------------------------------------------------------

inline constexpr const char* kNameOption = "-name";      // executable name without suffix
inline constexpr const char* kNumberOption = "-number";  // the version to install
inline constexpr const char* kProgOption = "-prog";      // the program directory
inline constexpr const char* kDownOption = "-down";      // the download directory
inline constexpr const char* kHttpOption = "-http";      // the program's server directory
inline constexpr const char* kRebootOption = "-reboot";  // restart the program once installed

// The updater's exit codes.
enum class UpdaterExit : int {
  kInstalled = 0,    // the release is installed
  kFailed = 1,       // the run failed (network, disk, a closed window); nothing changed
  kNothingToDo = 2,  // every file already matches the release
  kRefused = 3,      // the release is not authenticated by a trusted key, or is older
  kNotRun = 4,       // another updater runs, or the command line lacks what a run needs
};

// --- The updater's progress bar ------------------------------------------------------------

// The steps the worker posts and the window draws as that many segments: three before the
// downloads, 62 over the downloads, then installing; a finished run adds the right cap.
inline constexpr uint32_t kStepChecking = 0;
inline constexpr uint32_t kStepFetchingList = 1;
inline constexpr uint32_t kStepPreparing = 2;
inline constexpr uint32_t kStepFirstDownload = 3;
inline constexpr uint32_t kDownloadSteps = 62;
inline constexpr uint32_t kStepInstalling = kStepFirstDownload + kDownloadSteps;  // 65, the most segments
inline constexpr uint32_t kStepComplete = kStepInstalling + 1;

// The step for `done` of `total` archive bytes downloaded.
constexpr uint32_t DownloadStep(int64_t done, int64_t total) {
  return static_cast<uint32_t>(total > 0 ? kStepFirstDownload + (kDownloadSteps * done) / total : kStepFirstDownload);
}

// --- Games ---------------------------------------------------------------------------------

// A game's state as the movie is told it, and as a version check ends.
enum class GameState : int {
  kCurrent = 0,       // installed and up to date (also: an update run has ended)
  kNoAnswer = 1,      // the server gave no usable answer, or the request was refused
  kNewer = 2,         // the server has a newer version
  kNotInstalled = 3,  // no version record of this game in its directory
};

}  // namespace contract
