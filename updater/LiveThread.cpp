#include "updater/LiveThread.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "platform/LaunchDetached.h"
#include "updater/ArchiveReader.h"
#include "updater/AtomicFile.h"
#include "updater/FileChecker.h"
#include "updater/ListPaths.h"
#include "updater/PathDirectories.h"
#include "updater/UpdateList.h"

namespace updater {
namespace {

using text::WString;
using text::WStringView;

constexpr auto kRetryPause = std::chrono::milliseconds(10);

std::string Utf8(WStringView s) { return text::ToUtf8(s); }

WString PathIn(WStringView dir, WStringView relative, WStringView name) {
  WString path(dir);
  if (!relative.empty()) path += u"/" + LocalRelativePath(relative);
  return path + u"/" + WString(name);
}

// The texts keep their "%d"/"%s" form in one place each.
WString RemainingText(int32_t remaining, WStringView fileName) {
  return u"剩余" + text::FormatInt(remaining) + u"个文件需要下载/正在下载:" + WString(fileName);
}

WString CheckLine(WStringView kind, WStringView path, uint32_t measured, int32_t expected,
                  WStringView expectedCrc, WStringView measuredCrc, WStringView outcome) {
  return WString(kind) + u":" + WString(path) + u" Size:" + text::FormatInt(static_cast<int32_t>(measured)) +
         u"(" + text::FormatInt(expected) + u") CRC:" + WString(expectedCrc) + u"(" + WString(measuredCrc) +
         u") " + WString(outcome);
}

// The first item of the archive becomes the target; a target left by an earlier attempt goes
// first, so nothing of it survives a failed extraction.
bool UnpackArchive(const std::string& archive, const std::string& target) {
  unlink(target.c_str());
  ArchiveReader reader;
  if (reader.OpenArchive(text::FromUtf8(archive)) != ArchiveResult::Ok) return false;
  const bool ok = reader.ExtractItem(0, text::FromUtf8(target)) == ArchiveResult::Ok;
  reader.CloseArchive();
  return ok;
}

}  // namespace

struct CLiveThread::Names {
  WString installed;
  WString archiveUrl;
  WString archive;
  WString unpacked;
};

CLiveThread::CLiveThread(WorkerSettings settings)
    : settings_(std::move(settings)),
      logPath_(settings_.downloadDir + u"/UpdateLog.xml"),
      baseUrl_(settings_.serverUrl + u"/" + settings_.versionKey),
      debug_([](WStringView line) { platform::DebugLine(line); }) {}

CLiveThread::~CLiveThread() {
  SetActive(false);
  Join();
}

UpdateList& CLiveThread::List() {
  if (!list_) list_ = std::make_unique<UpdateList>();
  return *list_;
}

// Made by OnInit; made here too when the steps are used without starting the thread.
FileChecker& CLiveThread::Checker() {
  if (!checker_) checker_ = std::make_unique<FileChecker>();
  return *checker_;
}

bool CLiveThread::OnInit() {
  checker_ = std::make_unique<FileChecker>();
  return true;
}

void CLiveThread::OnUninit() {
  checker_.reset();
  owner_ = nullptr;
}

// Whatever escaped the procedure, the window must still learn that the run is over.
void CLiveThread::OnException(uint32_t) { Post(WM_UPDATE_FAILED, 0, 0); }

void CLiveThread::Post(uint32_t id, uint32_t wParam, uint32_t lParam, std::unique_ptr<WString> text) {
  if (owner_) owner_->Post(ProgressMessage{id, wParam, lParam, std::move(text)});
}

void CLiveThread::PostStep(uint32_t step, WString status) {
  Post(WM_UPDATE_STEP, step, 0, std::make_unique<WString>(std::move(status)));
}

void CLiveThread::Debug(WStringView line) {
  if (debug_) debug_(line);
}

void CLiveThread::Run() {
  if (!CheckUpdate()) return Post(WM_UPDATE_FAILED, 0, 0);
  if (!DownloadUpdate()) {
    Debug(u"Vendrel DownloadUpdate Failed!");
    if (!List().Save(settings_.downloadDir + u"/UpdateLogError.xml")) Debug(u"Vendrel DownloadUpdate Back File Failed!");
    return Post(WM_UPDATE_FAILED, 0, 0);
  }
  if (!InstallUpdate()) {
    Debug(u"Vendrel InstallUpdate Failed!");
    return Post(WM_UPDATE_FAILED, 0, 0);
  }
  if (restart_) Restart();
  Post(WM_UPDATE_DONE, 0, 0);
}

void CLiveThread::Restart() {
  const WString target = settings_.programDir + u"/" + settings_.programName + text::FromUtf8(platform::kExeSuffix);
  Debug(u"Vendrel ShellExecute!");
  Debug(target);
  const std::string path = Utf8(target);
  platform::LaunchDetached(path, {path});  // like the shell's start, its outcome changes nothing
}

// --- check ---------------------------------------------------------------------------------

bool CLiveThread::CheckUpdate() {
  UpdateList& list = List();
  PostStep(0, u"正在检查新的版本...");
  if (list.Load(logPath_) && list.Version() == settings_.version) return ListIsSafe();
  PostStep(1, u"正在下载更新列表...");
  if (!FetchList()) return false;
  list.Clear();
  if (!list.Load(settings_.downloadDir + u"/UpdateList.xml") || !ListIsSafe()) return false;
  PostStep(2, u"正在准备更新包...");
  std::vector<ExpectedFile> installed;
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    installed.push_back({Utf8(InstalledPath(*entry)), entry->FileLen(), entry->FileCrc()});
  }
  const std::vector<bool> current = MatchAll(installed);
  size_t i = 0;
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next(), ++i) {
    if (current[i]) {
      list.Remove(entry);
    } else {
      entry->SetStatus(0);
    }
  }
  if (list.Count() == 0) return false;
  // A version the log cannot hold could never be resumed: refuse it rather than loop.
  if (!list.SetVersion(settings_.version)) return false;
  SaveLog();
  return true;
}

bool CLiveThread::FetchList() {
  const WString archive = settings_.downloadDir + u"/UpdateList.xml.zip";
  return DownloadToFile(baseUrl_ + u"/UpdateList.xml." + settings_.versionKey, archive, 0) &&
         Checker().MeasureFile(archive) && Checker().UnpackMeasured();
}

// The list comes from the network or from a log on disk: no name in it may lead outside the
// program or download directory, whoever wrote it.
bool CLiveThread::ListIsSafe() {
  UpdateList& list = List();
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (!IsSafeFileName(entry->FileName()) || !IsSafeFilePath(entry->FilePath())) {
      list.Clear();
      return false;
    }
  }
  return true;
}

bool CLiveThread::SaveLog() {
  return WriteAtomically(Utf8(logPath_), [this](const std::string& temp) { return List().Save(text::FromUtf8(temp)); });
}

WString CLiveThread::InstalledPath(const UpdateFileEntry& entry) const {
  return PathIn(settings_.programDir, entry.FilePath(), entry.FileName());
}

CLiveThread::Names CLiveThread::NamesOf(const UpdateFileEntry& entry) const {
  const WString name = entry.FileName();
  const WString path = entry.FilePath();
  WString url = baseUrl_ + u"/";
  if (!path.empty()) url += EscapeListPath(path) + u"/";
  url += EscapeListPath(name) + u"." + settings_.versionKey;
  return Names{PathIn(settings_.programDir, path, name), url, PathIn(settings_.downloadDir, path, name + u".zip"),
               PathIn(settings_.downloadDir, path, name)};
}

// --- download ------------------------------------------------------------------------------

bool CLiveThread::DownloadUpdate() {
  UpdateList& list = List();
  int32_t remaining = static_cast<int32_t>(list.Count());
  const int64_t total = list.TotalArchiveSize();
  int64_t done = 0;
  auto lastSave = std::chrono::steady_clock::now();
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    --remaining;
    if (entry->Status() != 0) {
      done += entry->CompressLen();
      continue;
    }
    const int64_t step = total > 0 ? 3 + (62 * done) / total : 3;
    PostStep(static_cast<uint32_t>(step), RemainingText(remaining, entry->FileName()));
    Post(WM_UPDATE_BYTES, 0, static_cast<uint32_t>(entry->CompressLen()));
    if (!FetchEntry(*entry)) {
      SaveLog();
      return false;
    }
    done += entry->CompressLen();
    if (std::chrono::steady_clock::now() - lastSave >= logInterval_) {
      SaveLog();
      lastSave = std::chrono::steady_clock::now();
    }
  }
  SaveLog();
  return true;
}

bool CLiveThread::FetchEntry(UpdateFileEntry& entry) {
  const Names names = NamesOf(entry);
  if (!entry.FilePath().empty()) CreatePathDirectories(entry.FilePath(), settings_.downloadDir);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(kRetryPause);
    if (TryEntry(entry, names)) {
      entry.SetStatus(1);
      return true;
    }
  }
  return false;
}

bool CLiveThread::TryEntry(UpdateFileEntry& entry, const Names& names) {
  if (!DownloadToFile(names.archiveUrl, names.archive, static_cast<uint32_t>(entry.CompressLen()))) return false;
  FileDigest& d = digest_;
  const bool archiveGood = d.Measure(Utf8(names.archive)) && d.Size() == static_cast<uint32_t>(entry.CompressLen()) &&
                           d.CrcText() == entry.CompressCrc();
  if (!archiveGood || !UnpackArchive(Utf8(names.archive), Utf8(names.unpacked))) {
    Debug(CheckLine(u"CompressFile", names.archive, d.Size(), entry.CompressLen(), entry.CompressCrc(), d.CrcText(),
                    u"Decompress Failed!"));
    return false;
  }
  if (!d.Measure(Utf8(names.unpacked)) || d.Size() != static_cast<uint32_t>(entry.FileLen()) ||
      d.CrcText() != entry.FileCrc()) {
    Debug(CheckLine(u"DecompressFile", names.unpacked, d.Size(), entry.FileLen(), entry.FileCrc(), d.CrcText(),
                    u"Check Failed!"));
    return false;
  }
  // The install flushes this file; writing it out now overlaps that with the next downloads.
  StartWriteback(Utf8(names.unpacked));
  return true;
}

bool CLiveThread::DownloadToFile(WStringView url, WStringView target, uint32_t expected) {
  if (!IsActive()) return false;
  const std::string request = RequestUrl(url, static_cast<uint32_t>(std::time(nullptr)));
  DownloadHooks hooks;
  hooks.keepGoing = [this] { return IsActive(); };
  if (expected != 0) {
    hooks.onChunk = [this, expected](uint32_t received) { Post(WM_UPDATE_BYTES, received, expected); };
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    transferSlot_ = download_.Handle();
  }
  const bool ok = download_.Get(request, Utf8(target), hooks);
  {
    std::lock_guard<std::mutex> guard(lock_);
    transferSlot_ = nullptr;
  }
  return ok;
}

// --- install -------------------------------------------------------------------------------

// Every file is first staged beside its target, then all of them are flushed to disk together,
// and only then is each renamed over its target: an interruption leaves each file old or new.
bool CLiveThread::InstallUpdate() {
  PostStep(65, u"正在安装更新包");
  Post(WM_UPDATE_BYTES, 0, 0);
  UpdateList& list = List();
  std::vector<std::string> staged;
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (!entry->FilePath().empty()) CreatePathDirectories(entry->FilePath(), settings_.programDir);
    const Names names = NamesOf(*entry);
    const std::string target = Utf8(names.installed);
    const Staging result = StageEntry(Utf8(names.unpacked), target);
    if (result == Staging::Failed) return DiscardStaged(staged);
    if (result == Staging::Staged) staged.push_back(target);
  }
  std::vector<std::string> temporaries;
  for (const std::string& target : staged) temporaries.push_back(TemporaryNameFor(target));
  if (!FlushFiles(temporaries)) return DiscardStaged(staged);
  for (const std::string& target : staged) {
    if (!CommitEntry(target)) return false;
  }
  RemoveDownloadDirectory();
  return true;
}

Staging CLiveThread::StageEntry(const std::string& source, const std::string& target) {
  const Staging result = StageReplacement(source, target, false);
  if (result != Staging::Failed) return result;
  // Whatever stands in the way is moved aside, not destroyed, and the copy is tried once more.
  rename(target.c_str(), (target + ".bak").c_str());
  return StageReplacement(source, target, false);
}

bool CLiveThread::CommitEntry(const std::string& target) {
  if (CommitReplacement(target)) return true;
  // Renaming fails over a directory, say: move it aside as the backup and commit again.
  rename(target.c_str(), (target + ".bak").c_str());
  if (CommitReplacement(target)) return true;
  DiscardReplacement(target);
  return false;
}

bool CLiveThread::DiscardStaged(const std::vector<std::string>& staged) {
  for (const std::string& target : staged) DiscardReplacement(target);
  return false;
}

void CLiveThread::RemoveDownloadDirectory() {
  const std::filesystem::path down(Utf8(settings_.downloadDir));
  const std::filesystem::path prog(Utf8(settings_.programDir));
  std::error_code ec;
  // Never remove a directory that holds the program or is the root itself.
  const auto downAbs = std::filesystem::weakly_canonical(down, ec);
  const auto progAbs = std::filesystem::weakly_canonical(prog, ec);
  if (ec || downAbs == downAbs.root_path()) return;
  auto rel = std::filesystem::relative(progAbs, downAbs, ec);
  if (!ec && !rel.empty() && *rel.begin() != "..") return;
  // The log goes first, so an interruption below leaves no log that points at removed files.
  unlink(Utf8(logPath_).c_str());
  std::filesystem::remove_all(downAbs, ec);
}

// --- creation ------------------------------------------------------------------------------

WorkerSettings SettingsFromOptions(const UpdaterOptions& options) {
  return WorkerSettings{options.programName, options.version,     options.versionKey,
                        options.programDir,  options.downloadDir, options.serverUrl};
}

std::unique_ptr<CLiveThread> CreateWorker(const UpdaterOptions& options) {
  platform::CreateDirectory(options.programDir);
  platform::CreateDirectory(options.downloadDir);
  return std::make_unique<CLiveThread>(SettingsFromOptions(options));
}

bool StartWorker(CLiveThread& worker, IProgressWindow* window, bool restart) {
  if (worker.Owner() || worker.IsActive() || !window) return false;
  worker.SetActive(true);
  worker.SetOwner(window);
  worker.SetRestart(restart);
  if (worker.Start()) return true;
  worker.SetActive(false);
  worker.SetOwner(nullptr);
  worker.SetRestart(false);
  return false;
}

}  // namespace updater
