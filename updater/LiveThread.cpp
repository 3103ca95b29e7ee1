#include "updater/LiveThread.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

#include "contract/UpdaterState.h"
#include "platform/AtomicFile.h"
#include "platform/DebugLog.h"
#include "platform/FileRead.h"
#include "platform/FileSystem.h"
#include "platform/LaunchDetached.h"
#include "platform/Paths.h"
#include "updater/ArchiveHash.h"
#include "updater/ArchiveReader.h"
#include "updater/ListPaths.h"
#include "updater/LiveThreadParts.h"
#include "updater/PartialArchive.h"
#include "updater/PathDirectories.h"
#include "updater/ReleaseAddresses.h"
#include "updater/ReleaseAuthentication.h"
#include "updater/RetiredFiles.h"
#include "updater/SaveSchedule.h"
#include "updater/TransferQueue.h"
#include "updater/UpdateList.h"

namespace updater {
namespace {

using text::WString;
using text::WStringView;

using contract::UpdaterExit;

// A name of the updater's own in a directory or below an address.
WString NameIn(WStringView dir, const char* name) { return WString(dir) + u"/" + text::Ascii(name); }

// The key file of the program directory itself, which a release may replace.
bool IsKeyFile(const UpdateFileEntry& entry) {
  return entry.FilePath().empty() && text::AsciiLower(entry.FileName()) == text::AsciiLower(text::Ascii(contract::kKeyFileName));
}

// A size from the list as a limit; a negative size allows nothing.
uint64_t Limit(int32_t listed) { return listed < 0 ? 0 : static_cast<uint64_t>(listed); }

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

// The first item of the archive becomes the target, a new file of at most maxBytes; a target
// left by an earlier attempt goes first, so nothing of it survives a failed extraction.
bool UnpackArchive(const std::string& archive, const std::string& target, uint64_t maxBytes, Digest& written) {
  ArchiveReader reader;
  if (reader.OpenArchive(text::FromUtf8(archive)) != ArchiveResult::kOk) return false;
  const bool ok = reader.ExtractItem(0, text::FromUtf8(target), maxBytes, &written) == ArchiveResult::kOk;
  reader.CloseArchive();
  if (!ok) platform::RemoveFile(target);
  return ok;
}

// An archive that arrived whole before an interruption (its run ended before the log recorded
// it) is measured where it is instead of fetched again; the list's size, CRC and hash decide.
bool WholeOnDisk(const std::string& path, uint64_t listed, Digest& archive, ArchiveHash* hash) {
  platform::FileFacts facts;
  if (listed == 0 || !platform::RegularFileFacts(path, platform::Links::kNoFollow, facts) || facts.size != listed) {
    return false;
  }
  platform::StreamPtr in = platform::OpenForReading(path);
  std::vector<char> buffer(64 * 1024);
  uLong crc = crc32_z(0, nullptr, 0);
  uint64_t total = 0;
  for (size_t got; in && (got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0; total += got) {
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(buffer.data()), got);
    if (hash) hash->Update(buffer.data(), got);
  }
  if (total != listed) {
    if (hash) hash->FinishText();  // starts the hash again
    return false;
  }
  archive = Digest{total, static_cast<uint32_t>(crc)};
  return true;
}

// Every file a list names, as the installed-files record keeps it.
std::vector<InstalledFile> FilesOf(UpdateList& list) {
  std::vector<InstalledFile> files;
  files.reserve(list.Count());
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    const WString dir = entry->FilePath();
    files.push_back({dir.empty() ? entry->FileName() : dir + u"\\" + entry->FileName(), entry->FileLen(), entry->FileCrc()});
  }
  return files;
}

}  // namespace

CLiveThread::CLiveThread(WorkerSettings settings)
    : settings_(std::move(settings)),
      logPath_(NameIn(settings_.downloadDir, contract::kLogName)),
      debug_([](WStringView line) { platform::DebugLine(line); }) {}

CLiveThread::~CLiveThread() {
  SetActive(false);
  Join();
}

UpdateList& CLiveThread::List() {
  if (!list_) list_ = std::make_unique<UpdateList>();
  return *list_;
}

void CLiveThread::OnUninit() { owner_ = nullptr; }

// Whatever escaped the procedure, the window must still learn that the run is over.
void CLiveThread::OnException(uint32_t) { Post(WM_UPDATE_FAILED, 0, 0); }

void CLiveThread::Post(uint32_t id, uint32_t wParam, uint32_t lParam, std::unique_ptr<WString> text) {
  if (owner_) owner_->Post(ProgressMessage{id, wParam, lParam, std::move(text)});
}

void CLiveThread::PostStep(uint32_t step, WString status) {
  lastStep_ = step;
  Post(WM_UPDATE_STEP, step, 0, std::make_unique<WString>(std::move(status)));
}

void CLiveThread::Debug(WStringView line) {
  std::lock_guard<std::mutex> lock(debugMutex_);
  if (debug_) debug_(line);
}

void CLiveThread::SetTrust(UpdateTrust trust, WString stateDir) {
  settings_.trust = std::move(trust);
  settings_.stateDir = std::move(stateDir);
}

void CLiveThread::Run() {
  outcome_ = UpdaterExit::kFailed;
  hashMismatch_ = false;
  if (!CheckUpdate()) return EndWithoutInstalling();
  if (!DownloadUpdate()) {
    Debug(u"Vendrel DownloadUpdate Failed!");
    if (hashMismatch_) Refuse("an archive does not match the hash its signed list gives");
    if (!List().Save(NameIn(settings_.downloadDir, contract::kErrorLogName))) Debug(u"Vendrel DownloadUpdate Back File Failed!");
    return EndWithoutInstalling();
  }
  if (!ReleaseKeysUsable()) return EndWithoutInstalling();
  if (!InstallUpdate()) {
    Debug(u"Vendrel InstallUpdate Failed!");
    return EndWithoutInstalling();
  }
  RecordInstalled();
  outcome_ = UpdaterExit::kInstalled;
  if (restart_) Restart();
  Post(WM_UPDATE_DONE, 0, 0);
}

// A refused release says so on the status line and leaves nothing it downloaded behind. The
// failure message carries the outcome (0 for a plain failure).
void CLiveThread::EndWithoutInstalling() {
  if (outcome_ == UpdaterExit::kRefused) {
    RemoveDownloadDirectory();
    PostStep(lastStep_, kRefusedText);
  }
  const uint32_t code = outcome_ == UpdaterExit::kFailed ? 0 : static_cast<uint32_t>(outcome_);
  Post(WM_UPDATE_FAILED, code, 0);
}

bool CLiveThread::Refuse(const std::string& why) {
  Debug(u"Vendrel: release refused: " + text::FromUtf8(why));
  outcome_ = UpdaterExit::kRefused;
  return false;
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
  PostStep(contract::kStepChecking, u"正在检查新的版本...");
  const UpdateTrust& trust = settings_.trust;
  if (trust.mode == UpdateTrust::Mode::kBroken) {
    return Refuse("UpdateKeys.pub beside the updater cannot be read or holds no usable key");
  }
  PostStep(contract::kStepFetchingList, u"正在下载更新列表...");
  if (!FetchList()) return false;
  // The list is read only once its signature holds; a resumed run checks it as strictly.
  if (trust.Authenticates() ? !AuthenticateList() : !ReadUnsignedList()) return false;
  releaseFiles_ = FilesOf(List());
  if (ResumeLog()) return true;
  UpdateList& list = List();
  PostStep(contract::kStepPreparing, u"正在准备更新包...");
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
      entry->SetStatus(kEntryPending);
    }
  }
  if (list.Count() == 0) {
    outcome_ = UpdaterExit::kNothingToDo;
    RecordInstalled();
    return false;
  }
  // A version the log cannot hold could never be resumed: refuse it rather than loop.
  if (!list.SetVersion(settings_.version)) return false;
  // The log is tied to the exact signed list it was made from.
  list.SetListHash(listHash_);
  SaveLog();
  return true;
}

// The list archive, and its signature when keys are trusted. A signature that cannot be
// fetched (removed, or longer than a signature can be) refuses the release.
bool CLiveThread::FetchList() {
  const WString archive = NameIn(settings_.downloadDir, contract::kListArchiveName);
  const WString listUrl = ListUrl(settings_.serverUrl, settings_.versionKey);
  if (!DownloadToFile(listUrl, archive, 0, kListArchiveLimit)) return false;
  if (!settings_.trust.Authenticates()) return true;
  const WString signature = NameIn(settings_.downloadDir, contract::kListSignatureName);
  if (!DownloadToFile(listUrl + text::Ascii(contract::kSignatureSuffix), signature, 0, kSignatureFileLimit)) {
    platform::RemoveFile(Utf8(signature));
    return Refuse("no signature file of at most " + std::to_string(kSignatureFileLimit) + " bytes for the list");
  }
  return true;
}

bool CLiveThread::UnpackList() {
  Digest unpacked;
  return UnpackArchive(Utf8(NameIn(settings_.downloadDir, contract::kListArchiveName)),
                       Utf8(NameIn(settings_.downloadDir, contract::kListName)), kListLimit, unpacked);
}

// The archive's bytes are checked against the signature before anything reads them as a zip
// or a list; then the list must be the release that was asked for.
bool CLiveThread::AuthenticateList() {
  const std::optional<std::string> archive =
      platform::ReadRegularFile(Utf8(NameIn(settings_.downloadDir, contract::kListArchiveName)), kListArchiveLimit);
  const std::optional<std::string> signature =
      platform::ReadRegularFile(Utf8(NameIn(settings_.downloadDir, contract::kListSignatureName)), kSignatureFileLimit);
  if (!archive || !signature) return false;
  std::string why;
  if (!SignedByTrustedKey(settings_.trust, *archive, *signature, settings_.programName, why)) return Refuse(why);
  listHash_ = HashText(*archive);
  UpdateList& list = List();
  list.Clear();
  if (!UnpackList() || !list.Load(NameIn(settings_.downloadDir, contract::kListName)) || !ListIsSound()) return false;
  const std::optional<InstalledRelease> installed = ReadInstalledRelease(settings_.stateDir, settings_.programDir);
  if (!BindsRelease(list, settings_.programName, settings_.version, installed, why)) return Refuse(why);
  return true;
}

// Without trusted keys the list is taken as it arrives; its hash still ties the log to it.
bool CLiveThread::ReadUnsignedList() {
  const std::optional<std::string> archive =
      platform::ReadRegularFile(Utf8(NameIn(settings_.downloadDir, contract::kListArchiveName)), kListArchiveLimit);
  if (!archive) return false;
  listHash_ = HashText(*archive);
  UpdateList& list = List();
  list.Clear();
  return UnpackList() && list.Load(NameIn(settings_.downloadDir, contract::kListName)) && ListIsSound();
}

// A log resumes only when it was made from this very list (its "list" hash): a release
// published again under the same version starts afresh from the new list. A log that is not
// sound is not resumed either.
bool CLiveThread::ResumeLog() {
  auto log = std::make_unique<UpdateList>();
  if (!log->Load(logPath_)) return false;
  if (log->Version() != settings_.version || log->ListHash() != listHash_) {
    Debug(u"Vendrel: the resume log does not belong to the list; checking afresh");
    return false;
  }
  std::unique_ptr<UpdateList> fresh = std::move(list_);
  list_ = std::move(log);
  if (ListIsSound()) return true;
  list_ = std::move(fresh);
  return false;
}

// A release that brings the program directory's key file must leave a key that can sign this
// program, or no later release could ever install.
bool CLiveThread::ReleaseKeysUsable() {
  UpdateList& list = List();
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (!IsKeyFile(*entry)) continue;
    if (!CanSignFor(LoadTrustedKeys(Utf8(LocationsOf(*entry).unpacked)), settings_.programName)) {
      return Refuse("the release's UpdateKeys.pub holds no key that may sign " + Utf8(settings_.programName));
    }
  }
  return true;
}

// Called once every file of the release is in place (installed now or found current). The
// order makes any interruption harmless: the release's files are all installed before a retired
// file goes, so none it needs is ever removed; the records move to the release only after the
// retired files are gone, so an interruption before that leaves the old records, and the next
// run for this release (which finds nothing to install) retires the rest. The files record
// precedes the signed one, which alone decides rollbacks, as it did before.
void CLiveThread::RecordInstalled() {
  std::vector<InstalledFile> record = releaseFiles_;
  const std::vector<InstalledFile> left = RetireFiles();
  record.insert(record.end(), left.begin(), left.end());
  if (!WriteInstalledFiles(settings_.stateDir, settings_.programDir, record)) {
    Debug(u"Vendrel: cannot write the installed-files record");
  }
  if (!settings_.trust.Authenticates()) return;
  const InstalledRelease release{List().Name(), settings_.version, List().SignedTime(), listHash_};
  if (!WriteInstalledRelease(settings_.stateDir, settings_.programDir, release)) {
    Debug(u"Vendrel: cannot write the installed-release record");
  }
}

// Without a record of what the last update installed, nothing is known to be the updater's
// and nothing goes. Gives the retired files still there, as installed, for the next update.
std::vector<InstalledFile> CLiveThread::RetireFiles() {
  const std::optional<std::vector<InstalledFile>> installed = ReadInstalledFiles(settings_.stateDir, settings_.programDir);
  if (!installed) return {};
  Retirement retirement = RemoveRetiredFiles(settings_.programDir, *installed, releaseFiles_);
  for (const WString& path : retirement.removed) {
    Debug(u"Vendrel: removed a file the release no longer has: " + path);
  }
  for (const InstalledFile& f : retirement.left) {
    Debug(u"Vendrel: cannot remove a file the release no longer has, the next update tries again: " + f.path);
  }
  return std::move(retirement.left);
}

// The list comes from the network or from a log on disk: no name in it may lead outside the
// program or download directory, whoever wrote it, and no file may be named twice (two
// entries would race for one installed name).
bool CLiveThread::ListIsSound() {
  UpdateList& list = List();
  // Names are compared as the list's bytes, which decode one to one (the list refuses others).
  std::unordered_set<std::string> targets;
  targets.reserve(list.Count());
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (!IsSafeFileName(entry->FileName()) || !IsSafeFilePath(entry->FilePath())) {
      list.Clear();
      return false;
    }
    const FileRecord& r = entry->Record();
    if (!targets.insert(r.filePath + '\\' + r.fileName).second) {
      Debug(u"Vendrel UpdateList names a file twice: " + InstalledPath(*entry));
      list.Clear();
      return false;
    }
  }
  return true;
}

// A name in the download directory that two of the run's files would use (an entry "a.zip"
// beside the archive of "a", a file named like the log): such an entry's unpacked file may have
// been overwritten since it was verified, so the install measures it again in full.
void CLiveThread::FindSharedNames() {
  sharedNames_.clear();
  std::unordered_map<std::string, int> uses;
  for (const char* own : contract::kDownloadOwnNames) ++uses[own];
  UpdateList& list = List();
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    const FileRecord& r = entry->Record();
    const std::string prefix = r.filePath.empty() ? std::string() : r.filePath + '\\';
    ++uses[prefix + r.fileName];
    ++uses[prefix + r.fileName + contract::kArchiveSuffix];
    ++uses[ValidatorPathFor(prefix + r.fileName + contract::kArchiveSuffix)];
    for (size_t level = r.filePath.find('\\'); ; level = r.filePath.find('\\', level + 1)) {
      if (!r.filePath.empty()) ++uses[r.filePath.substr(0, level)];
      if (level == std::string::npos) break;
    }
  }
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    const FileRecord& r = entry->Record();
    const std::string prefix = r.filePath.empty() ? std::string() : r.filePath + '\\';
    if (uses[prefix + r.fileName] > 1 || uses[prefix + r.fileName + contract::kArchiveSuffix] > 1) sharedNames_.insert(entry);
  }
}

bool CLiveThread::SaveLog() { return List().Save(logPath_); }

WString CLiveThread::InstalledPath(const UpdateFileEntry& entry) const {
  return PathIn(settings_.programDir, entry.FilePath(), entry.FileName());
}

CLiveThread::EntryLocations CLiveThread::LocationsOf(const UpdateFileEntry& entry) const {
  const WString name = entry.FileName();
  const WString path = entry.FilePath();
  return EntryLocations{PathIn(settings_.programDir, path, name),
                        ArchiveUrl(settings_.serverUrl, settings_.versionKey, path, name),
                        PathIn(settings_.downloadDir, path, name + text::Ascii(contract::kArchiveSuffix)),
                        PathIn(settings_.downloadDir, path, name)};
}

// --- download ------------------------------------------------------------------------------

// What the workers of one download share besides the worker's own state.
struct CLiveThread::EntryFetch {
  int64_t total = 0;
  int64_t done = 0;  // archive bytes of the files finished, the bar's measure
  int32_t count = 0;
  std::vector<int32_t> listIndex;  // of each pending entry, for the files-left text
  SaveSchedule saves;
  int32_t inFlight = 0;
  text::WString shownText{};  // the status line of the file started last

  uint32_t Step() const { return contract::DownloadStep(done, total); }
  std::atomic<bool> failed{false};
};

// Files start in list order, up to kTransfersInFlight at once; each is verified and unpacked
// by the worker that fetched it while the others keep downloading. The log records a file as
// done only once it is verified, so a kill at any moment resumes to the exact tree.
bool CLiveThread::DownloadUpdate() {
  UpdateList& list = List();
  FindSharedNames();
  std::vector<UpdateFileEntry*> pending;
  EntryFetch run{list.TotalArchiveSize(), 0, static_cast<int32_t>(list.Count()), {},
                 SaveSchedule(logInterval_, SaveSchedule::Clock::now())};
  int32_t index = 0;
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next(), ++index) {
    if (entry->Status() != kEntryPending) {
      run.done += entry->CompressLen();
      continue;
    }
    pending.push_back(entry);
    run.listIndex.push_back(index);
  }
  FetchEntries(pending, run);
  std::lock_guard<std::mutex> lock(shared_);
  SaveLog();
  return !run.failed;
}

void CLiveThread::FetchEntries(const std::vector<UpdateFileEntry*>& pending, EntryFetch& run) {
  TransferQueue queue(pending.size(), [&](size_t i) { return sharedNames_.count(pending[i]) != 0; });
  auto work = [&] {
    HttpDownload http;
    http.SetTimeouts(timeouts_);
    for (;;) {
      const std::optional<size_t> taken = queue.Take([&](size_t i) {
        std::lock_guard<std::mutex> lock(shared_);
        ++run.inFlight;
        run.shownText = RemainingText(run.count - 1 - run.listIndex[i], pending[i]->FileName());
        PostStep(run.Step(), run.shownText);
        shownEntry_ = pending[i];
        Post(WM_UPDATE_BYTES, 0, static_cast<uint32_t>(pending[i]->CompressLen()));
      });
      if (!taken) return;
      UpdateFileEntry& entry = *pending[*taken];
      const bool ok = FetchEntry(entry, http);
      queue.Finish([&] {
        std::lock_guard<std::mutex> lock(shared_);
        --run.inFlight;
        if (!ok) {
          run.failed = true;
          return;
        }
        entry.SetStatus(kEntryFetched);
        run.done += entry.CompressLen();
        // A file that ends while others still arrive moves the bar under the same status line.
        if (run.inFlight > 0) PostStep(run.Step(), run.shownText);
        if (run.saves.Due(SaveSchedule::Clock::now())) {
          const auto began = SaveSchedule::Clock::now();
          SaveLog();
          run.saves.Saved(began, SaveSchedule::Clock::now());
        }
      });
      if (!ok) queue.Stop();
    }
  };
  const size_t helpers = std::min(transfersInFlight_, pending.size()) - (pending.empty() ? 0 : 1);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < helpers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
}

bool CLiveThread::FetchEntry(UpdateFileEntry& entry, HttpDownload& http) {
  const EntryLocations where = LocationsOf(entry);
  if (!CreateRealDirectories(entry.FilePath(), settings_.downloadDir)) return false;
  int transient = 0, other = 0;
  bool mismatch = false;
  for (auto pause = retryPause_; transient < kTransientAttempts && other < kOtherAttempts; pause *= 2) {
    if (transient + other > 0) std::this_thread::sleep_for(pause);
    const Fetched fetched = TryEntry(entry, where, http, mismatch);
    if (fetched == Fetched::kComplete) return true;
    ++(fetched == Fetched::kTransient ? transient : other);
    if (!IsActive()) break;
  }
  if (mismatch) hashMismatch_ = true;
  return false;
}

// A partial archive of this list is continued from where it stopped; when the server cannot
// continue it consistently, it starts over once from the first byte.
Fetched CLiveThread::FetchArchive(const UpdateFileEntry& entry, const EntryLocations& where, Digest& archive, ArchiveHash* hash,
                                  HttpDownload& http) {
  const std::string path = Utf8(where.archive);
  const uint64_t listed = Limit(entry.CompressLen());
  if (WholeOnDisk(path, listed, archive, hash)) return Fetched::kComplete;
  const ResumePoint point = FindResumePoint(path, listHash_, listed);
  DownloadResume resume{point.offset, point.validator, listed, [&](const std::string& validator) {
                          SaveValidator(path, listHash_, validator);
                        }};
  Fetched fetched = FetchArchiveOnce(entry, where, resume, archive, hash, http);
  if (fetched == Fetched::kRangeRefused) {
    Debug(u"Vendrel: the server cannot continue " + where.archive + u"; fetching it from the first byte");
    DiscardPartial(path);
    if (hash) hash->FinishText();  // starts the hash again
    resume = DownloadResume{0, {}, listed, resume.onFresh};
    fetched = FetchArchiveOnce(entry, where, resume, archive, hash, http);
  }
  return fetched == Fetched::kRangeRefused ? Fetched::kRefused : fetched;
}

Fetched CLiveThread::FetchArchiveOnce(const UpdateFileEntry& entry, const EntryLocations& where, const DownloadResume& resume,
                                      Digest& archive, ArchiveHash* hash, HttpDownload& http) {
  if (!IsActive()) return Fetched::kRefused;
  const std::string request = RequestUrl(where.archiveUrl, static_cast<uint32_t>(std::time(nullptr)));
  const uint32_t expected = static_cast<uint32_t>(entry.CompressLen());
  DownloadHooks hooks;
  hooks.keepGoing = [this] { return IsActive(); };
  hooks.onChunk = [this, &entry, expected](uint32_t count) { PostBytesOf(&entry, count, expected); };
  return http.Continue(request, Utf8(where.archive), resume.size, hooks, resume, &archive, hash);
}

// The window shows the bytes of the file started last; the others' progress shows in the bar
// as each of them ends.
void CLiveThread::PostBytesOf(const UpdateFileEntry* entry, uint32_t received, uint32_t expected) {
  if (expected == 0) return;
  std::lock_guard<std::mutex> lock(shared_);
  if (entry == shownEntry_) Post(WM_UPDATE_BYTES, received, expected);
}

// The archive's and the unpacked file's size and CRC are taken while they are written (a
// continued archive reads back only the part it keeps). Neither may grow past its listed size.
Fetched CLiveThread::TryEntry(UpdateFileEntry& entry, const EntryLocations& where, HttpDownload& http, bool& mismatch) {
  {
    std::lock_guard<std::mutex> lock(shared_);
    verified_.erase(&entry);
  }
  Digest archive;
  const bool hashed = settings_.trust.Authenticates();
  ArchiveHash hash;
  const Fetched fetched = FetchArchive(entry, where, archive, hashed ? &hash : nullptr, http);
  if (fetched != Fetched::kComplete) return fetched;
  // A complete archive is not continued again: the next attempt of a bad one starts afresh.
  platform::RemoveFile(ValidatorPathFor(Utf8(where.archive)));
  const WString archiveCrc = CrcText(archive.crc);
  const bool hashGood = !hashed || hash.FinishText() == entry.CompressHash();
  mismatch = !hashGood;
  const bool archiveGood = archive.size == Limit(entry.CompressLen()) && archiveCrc == entry.CompressCrc() && hashGood;
  if (!archiveGood) {
    // A complete archive that is not the listed one is never unpacked, and never resumed:
    // the next attempt fetches it from its first byte.
    platform::RemoveFile(Utf8(where.archive));
  }
  Digest unpacked;
  if (!archiveGood || !UnpackArchive(Utf8(where.archive), Utf8(where.unpacked), Limit(entry.FileLen()), unpacked)) {
    Debug(CheckLine(u"CompressFile", where.archive, static_cast<uint32_t>(archive.size), entry.CompressLen(),
                    entry.CompressCrc(), archiveCrc, u"Decompress Failed!"));
    return Fetched::kRefused;
  }
  const WString unpackedCrc = CrcText(unpacked.crc);
  if (unpacked.size != Limit(entry.FileLen()) || unpackedCrc != entry.FileCrc()) {
    Debug(CheckLine(u"DecompressFile", where.unpacked, static_cast<uint32_t>(unpacked.size), entry.FileLen(),
                    entry.FileCrc(), unpackedCrc, u"Check Failed!"));
    return Fetched::kRefused;
  }
  FileIdentity id;
  if (IdentifyFile(Utf8(where.unpacked), id)) {
    std::lock_guard<std::mutex> lock(shared_);
    verified_[&entry] = id;
  }
  // The install flushes this file; writing it out now overlaps that with the next downloads.
  platform::StartWriteback(Utf8(where.unpacked));
  return Fetched::kComplete;
}

bool CLiveThread::DownloadToFile(WStringView url, WStringView target, uint32_t expected, uint64_t maxBytes,
                                 Digest* received, ArchiveHash* hash) {
  return DownloadToFile(url, target, expected, maxBytes, DownloadResume{}, received, hash) == Fetched::kComplete;
}

Fetched CLiveThread::DownloadToFile(WStringView url, WStringView target, uint32_t expected, uint64_t maxBytes,
                                    const DownloadResume& resume, Digest* received, ArchiveHash* hash) {
  if (!IsActive()) return Fetched::kRefused;
  const std::string request = RequestUrl(url, static_cast<uint32_t>(std::time(nullptr)));
  DownloadHooks hooks;
  hooks.keepGoing = [this] { return IsActive(); };
  if (expected != 0) {
    hooks.onChunk = [this, expected](uint32_t count) { Post(WM_UPDATE_BYTES, count, expected); };
  }
  return download_.Continue(request, Utf8(target), maxBytes, hooks, resume, received, hash);
}

// --- creation ------------------------------------------------------------------------------

bool IdentifyFile(const std::string& path, FileIdentity& out) {
  platform::FileFacts facts;
  if (!platform::RegularFileFacts(path, platform::Links::kNoFollow, facts)) return false;
  out = FileIdentity{facts.device, facts.index, facts.size, facts.modifiedNs};
  return true;
}

WorkerSettings SettingsFromOptions(const UpdaterOptions& options) {
  WorkerSettings settings;
  settings.programName = options.programName;
  settings.version = options.version;
  settings.versionKey = options.versionKey;
  settings.programDir = options.programDir;
  settings.downloadDir = options.downloadDir;
  settings.serverUrl = options.serverUrl;
  return settings;
}

std::unique_ptr<CLiveThread> CreateWorker(const UpdaterOptions& options) {
  platform::CreateDirectory(options.programDir);
  platform::CreateDirectory(options.downloadDir);
  WorkerSettings settings = SettingsFromOptions(options);
  settings.trust = LoadTrustedKeys(Utf8(NameIn(platform::ExecutableDir(), contract::kKeyFileName)));
  if (!settings.trust.Authenticates()) {
    platform::DebugLine(u"Vendrel: no UpdateKeys.pub beside the updater: updates are not authenticated");
  }
  settings.stateDir = contract::UpdaterStateDir();
  return std::make_unique<CLiveThread>(std::move(settings));
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
