// The updater's worker: on its own thread it checks which files of a program are out of date,
// downloads and verifies their archives, installs them and optionally restarts the program,
// telling the progress window about every step.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "contract/Contract.h"
#include "platform/AtomicFile.h"
#include "text/Text.h"
#include "updater/CommandLine.h"
#include "updater/FileDigest.h"
#include "updater/HttpDownload.h"
#include "updater/InstalledFiles.h"
#include "updater/Messages.h"
#include "updater/Thread.h"
#include "updater/TrustedKeys.h"

namespace updater {

class UpdateFileEntry;
class UpdateList;

// The list arrives zipped; its body is refused past this size (a list of 100,000 files zips to
// about 3 MB), and the unpacked list past kListLimit.
inline constexpr uint64_t kListArchiveLimit = 8u << 20;
inline constexpr uint64_t kListLimit = 128u << 20;

// A file as it was at one moment: the same identity later means the file was not replaced
// (that changes the inode) or written since (that changes the modification time, which the
// unpacking set to the archive item's time). A second link to it keeps its identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` itself (a link is not followed); false when there is none.
bool IdentifyFile(const std::string& path, FileIdentity& out);

// What the worker is told before it starts.
struct WorkerSettings {
  text::WString programName;
  text::WString version;
  text::WString versionKey;
  text::WString programDir;
  text::WString downloadDir;
  text::WString serverUrl;  // the version directory is appended by Run
  UpdateTrust trust;        // from the key file beside the updater
  text::WString stateDir;   // the updater's state folder (installed-release records)
};

// An archive whose transfer failed on the way (no answer, a broken, stalled or slow connection,
// a 5xx) is tried this many times in all, after pauses that double; any other failure (a
// refused status, an archive that is not the listed one) is tried twice.
inline constexpr int kTransientAttempts = 4;
// Archives in flight at once, each worker on its own kept-alive connection; one round trip per
// file is hidden behind the others' transfers, and unpacking overlaps the downloads.
inline constexpr size_t kTransfersInFlight = 6;
inline constexpr int kOtherAttempts = 2;

// The status line of a refused release.
inline constexpr const char16_t* kRefusedText = u"更新包未通过安全验证，已取消安装";

class CLiveThread : public Basalt::IThread {
 public:
  explicit CLiveThread(WorkerSettings settings);
  ~CLiveThread() override;  // cancels a running transfer and waits for the thread

  // Set by the window before Start(); the worker only reads them.
  void SetOwner(IProgressWindow* owner) { owner_ = owner; }
  IProgressWindow* Owner() const { return owner_; }
  void SetActive(bool active) { active_ = active ? 1 : 0; }  // also cancels transfers when cleared
  bool IsActive() const { return active_ != 0; }
  void SetRestart(bool restart) { restart_ = restart; }

  void SetTimeouts(const DownloadTimeouts& timeouts) {
    timeouts_ = timeouts;
    download_.SetTimeouts(timeouts);
  }
  // Fewer transfers at once (1: one file after the other, for an exact order of messages).
  void SetTransfersInFlight(size_t count) { transfersInFlight_ = count < 1 ? 1 : count; }
  // The pause before the second attempt at an archive; it doubles before each further one.
  void SetRetryPause(std::chrono::milliseconds pause) { retryPause_ = pause; }
  // During the downloads the resume log is rewritten at most this often, so an interrupted run
  // resumes close to where it stopped without rewriting a long log after every file. A long
  // log that takes a while to save is saved less often (see SaveSchedule).
  void SetLogInterval(std::chrono::milliseconds interval) { logInterval_ = interval; }
  // Where diagnostic lines go; standard error unless replaced.
  void SetDebugSink(std::function<void(text::WStringView)> sink) { debug_ = std::move(sink); }

  // Which keys to trust and where the installed-release records live (tests set their own).
  void SetTrust(UpdateTrust trust, text::WString stateDir);
  // How the last Run ended; kFailed until one ends otherwise.
  contract::UpdaterExit Outcome() const { return outcome_; }

  UpdateList& List();

  // The whole procedure; ends by posting exactly one of WM_UPDATE_FAILED or WM_UPDATE_DONE.
  void Run() override;
  bool CheckUpdate();
  bool DownloadUpdate();
  bool InstallUpdate();
  // GETs url + "?a=<time>" into target; posts byte progress when expected is not 0. A body
  // longer than maxBytes fails. `received` gets the body's size and CRC.
  // `hash`, when given, takes in the body as it arrives.
  bool DownloadToFile(text::WStringView url, text::WStringView target, uint32_t expected, uint64_t maxBytes,
                      Digest* received = nullptr, ArchiveHash* hash = nullptr);
  // The same, continuing a partial target as `resume` says.
  Fetched DownloadToFile(text::WStringView url, text::WStringView target, uint32_t expected, uint64_t maxBytes,
                         const DownloadResume& resume, Digest* received = nullptr, ArchiveHash* hash = nullptr);

 protected:
  void OnUninit() override;
  void OnException(uint32_t error) override;

 private:
  struct EntryLocations;
  EntryLocations LocationsOf(const UpdateFileEntry& entry) const;
  text::WString InstalledPath(const UpdateFileEntry& entry) const;
  bool FetchList();
  bool UnpackList();
  bool AuthenticateList();
  bool ReadUnsignedList();
  bool ResumeLog();
  bool ReleaseKeysUsable();
  void RecordInstalled();
  std::vector<InstalledFile> RetireFiles();
  bool Refuse(const std::string& why);
  void EndWithoutInstalling();
  bool ListIsSound();
  bool SaveLog();
  struct EntryFetch;
  void FetchEntries(const std::vector<UpdateFileEntry*>& pending, EntryFetch& run);
  bool FetchEntry(UpdateFileEntry& entry, HttpDownload& http);
  Fetched TryEntry(UpdateFileEntry& entry, const EntryLocations& where, HttpDownload& http, bool& mismatch);
  Fetched FetchArchive(const UpdateFileEntry& entry, const EntryLocations& where, Digest& archive, ArchiveHash* hash,
                       HttpDownload& http);
  Fetched FetchArchiveOnce(const UpdateFileEntry& entry, const EntryLocations& where, const DownloadResume& resume,
                           Digest& archive, ArchiveHash* hash, HttpDownload& http);
  void PostBytesOf(const UpdateFileEntry* entry, uint32_t received, uint32_t expected);
  struct StagedEntry;
  bool CheckStaged(std::vector<StagedEntry>& entries);
  bool StillAsVerified(const StagedEntry& staged) const;
  void FindSharedNames();
  bool CommitAll(const std::vector<std::string>& staged);
  bool CommitEntry(const std::string& target);
  void RemoveDownloadDirectory();
  void Restart();
  void Post(uint32_t id, uint32_t wParam, uint32_t lParam, std::unique_ptr<text::WString> text = nullptr);
  void PostStep(uint32_t step, text::WString status);
  void Debug(text::WStringView line);

  WorkerSettings settings_;
  text::WString logPath_;
  IProgressWindow* owner_ = nullptr;
  std::unique_ptr<UpdateList> list_;
  FileDigest digest_;                      // measures staged files
  // Unpacked files verified in this run (size and CRC taken while inflating), by the identity
  // of the file then: until the install, only this entry's own fetch writes that name, unless
  // the name is shared with another of the run's names.
  std::unordered_map<const UpdateFileEntry*, FileIdentity> verified_;
  std::unordered_set<const UpdateFileEntry*> sharedNames_;
  std::atomic<uint32_t> active_{0};
  contract::UpdaterExit outcome_ = contract::UpdaterExit::kFailed;
  std::string listHash_;      // hash of the list archive the run works from
  std::vector<InstalledFile> releaseFiles_;  // every file of that list, pending or current
  uint32_t lastStep_ = 0;     // the bar's step, kept when a refusal replaces the text
  std::atomic<bool> hashMismatch_{false};  // an archive did not match its signed hash
  // The workers share the list's statuses, the verified files, the log and the file whose bytes
  // the window shows.
  std::mutex shared_;
  const UpdateFileEntry* shownEntry_ = nullptr;
  std::mutex debugMutex_;
  size_t transfersInFlight_ = kTransfersInFlight;
  DownloadTimeouts timeouts_ = UpdaterTimeouts();
  bool restart_ = false;
  std::chrono::milliseconds logInterval_{1000};
  std::chrono::milliseconds retryPause_{250};
  HttpDownload download_;
  std::function<void(text::WStringView)> debug_;
};

// Settings for the worker from parsed options.
WorkerSettings SettingsFromOptions(const UpdaterOptions& options);

// Creates the worker and the program and download directories (one level each; failures show
// up later as failed steps).
std::unique_ptr<CLiveThread> CreateWorker(const UpdaterOptions& options);

// What the window does once it exists: marks the worker active, gives it the window and the
// restart flag, and starts it. False when it was started before by someone else or cannot
// start; the worker's owner, active and restart flags are then reset.
bool StartWorker(CLiveThread& worker, IProgressWindow* window, bool restart);

}  // namespace updater
