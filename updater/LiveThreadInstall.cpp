// The worker's install: staging beside the installed files, the check of what was staged, the
// renames, and the clean-up of the download directory.
#include <algorithm>
#include <filesystem>
#include <vector>

#include "contract/Contract.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "updater/DownloadCleanup.h"
#include "updater/FileDigest.h"
#include "updater/ListPaths.h"
#include "updater/LiveThread.h"
#include "updater/LiveThreadParts.h"
#include "updater/PartialArchive.h"
#include "updater/PathDirectories.h"
#include "updater/UpdateList.h"

namespace updater {
namespace {

using platform::Staging;

// The program's version record, which the lobby compares with the server's version.
bool IsVersionRecord(const UpdateFileEntry& entry) {
  return entry.FilePath().empty() &&
         text::AsciiLower(entry.FileName()) == text::AsciiLower(text::Ascii(contract::kVersionRecordName));
}

}  // namespace

// Every file is first staged beside its target, then all of them are flushed to disk together,
// and only then is each renamed over its target: an interruption leaves each file old or new,
// and a failure before the renames leaves every installed file as it was.
bool CLiveThread::InstallUpdate() {
  PostStep(contract::kStepInstalling, u"正在安装更新包");
  Post(WM_UPDATE_BYTES, 0, 0);
  UpdateList& list = List();
  std::vector<StagedEntry> entries;
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (!entry->FilePath().empty()) CreatePathDirectories(entry->FilePath(), settings_.programDir);
    EntryLocations where = LocationsOf(*entry);
    const Staging result = platform::StageReplacement(Utf8(where.unpacked), Utf8(where.installed));
    entries.push_back({entry, std::move(where), result});
  }
  // The version record is renamed last: while any other file could not be, the program still
  // says it is the old version, so the lobby offers the update again instead of starting a
  // half-updated program.
  std::stable_partition(entries.begin(), entries.end(),
                        [](const StagedEntry& e) { return !IsVersionRecord(*e.entry); });
  std::vector<std::string> staged;
  const bool ready = CheckStaged(entries);
  for (const StagedEntry& e : entries) {
    if (e.result == Staging::kStaged) staged.push_back(Utf8(e.where.installed));
  }
  std::vector<std::string> temporaries;
  for (const std::string& target : staged) temporaries.push_back(platform::TemporaryNameFor(target));
  if (!ready || !platform::FlushFiles(temporaries)) {
    for (const std::string& target : staged) platform::DiscardReplacement(target);
    return false;
  }
  if (!CommitAll(staged)) return false;
  RemoveDownloadDirectory();
  return true;
}

// Whatever the download directory held is checked once more as staged, against FileLen and
// FileCrc: a name another entry or the log has since reused, or a resumed entry whose file
// changed or went, is fetched again and staged anew. A file verified while it was inflated in
// this run, under a name nothing else of the run uses, is still that file when its identity is
// unchanged: it is not read again. The rest is measured on a few threads. The installed file is
// never touched here.
bool CLiveThread::CheckStaged(std::vector<StagedEntry>& entries) {
  std::vector<ExpectedFile> expected;
  std::vector<size_t> measured;
  for (size_t i = 0; i < entries.size(); ++i) {
    const StagedEntry& e = entries[i];
    if (StillAsVerified(e)) continue;
    const std::string target = Utf8(e.where.installed);
    const std::string path = e.result == Staging::kStaged ? platform::TemporaryNameFor(target) : target;
    expected.push_back({e.result == Staging::kFailed ? std::string() : path, e.entry->FileLen(), e.entry->FileCrc()});
    measured.push_back(i);
  }
  const std::vector<bool> good = MatchAll(expected);
  for (size_t k = 0; k < measured.size(); ++k) {
    if (good[k]) continue;
    StagedEntry& e = entries[measured[k]];
    const std::string target = Utf8(e.where.installed);
    if (e.result == Staging::kStaged) platform::DiscardReplacement(target);
    e.result = Staging::kFailed;
    if (!FetchEntry(*e.entry, download_)) return false;
    const Staging again = platform::StageReplacement(Utf8(e.where.unpacked), target);
    const std::string path = again == Staging::kStaged ? platform::TemporaryNameFor(target) : target;
    if (again == Staging::kFailed || !digest_.Matches(path, e.entry->FileLen(), e.entry->FileCrc())) {
      if (again == Staging::kStaged) platform::DiscardReplacement(target);
      return false;
    }
    e.result = again;
  }
  return true;
}

bool CLiveThread::StillAsVerified(const StagedEntry& e) const {
  if (e.result != Staging::kStaged || sharedNames_.count(e.entry)) return false;
  const auto found = verified_.find(e.entry);
  FileIdentity now;
  return found != verified_.end() && IdentifyFile(platform::TemporaryNameFor(Utf8(e.where.installed)), now) &&
         now == found->second;
}

// A rename that fails part-way leaves the files renamed so far new, the rest old, and no
// temporary behind.
bool CLiveThread::CommitAll(const std::vector<std::string>& staged) {
  for (size_t i = 0; i < staged.size(); ++i) {
    if (CommitEntry(staged[i])) continue;
    for (size_t j = i; j < staged.size(); ++j) platform::DiscardReplacement(staged[j]);
    return false;
  }
  return true;
}

bool CLiveThread::CommitEntry(const std::string& target) {
  if (platform::CommitReplacement(target)) return true;
  // Renaming fails over a directory: move it aside as the backup and commit again; if that
  // fails too, the directory goes back under its name.
  if (platform::KindOf(target) != platform::PathKind::kDirectory) return false;
  const std::string backup = target + ".bak";
  if (!platform::RenameReplacing(target, backup)) return false;
  if (platform::CommitReplacement(target)) return true;
  platform::RenameReplacing(backup, target);
  return false;
}

// Only what the updater made goes: its lists and logs, and each entry's archive and unpacked
// file with the folders that held them once they are empty. The user's own files stay.
void CLiveThread::RemoveDownloadDirectory() {
  const std::filesystem::path down = platform::FsPath(Utf8(settings_.downloadDir));
  const std::filesystem::path prog = platform::FsPath(Utf8(settings_.programDir));
  std::error_code ec;
  // Never clean a directory that holds the program: its unpacked names are installed files.
  const auto downAbs = std::filesystem::weakly_canonical(down, ec);
  const auto progAbs = std::filesystem::weakly_canonical(prog, ec);
  if (ec) return;
  auto rel = std::filesystem::relative(progAbs, downAbs, ec);
  if (!ec && (rel.empty() || *rel.begin() != "..")) return;
  // The log goes first, so an interruption below leaves no log that points at removed files.
  std::vector<OwnedName> names;
  for (const char* own : contract::kDownloadOwnNames) {
    names.push_back({"", own});
    names.push_back({"", platform::TemporaryNameFor(own)});
  }
  UpdateList& list = List();
  for (UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    const std::string dir = Utf8(LocalRelativePath(entry->FilePath()));
    const std::string name = Utf8(entry->FileName());
    names.push_back({dir, name});
    names.push_back({dir, name + contract::kArchiveSuffix});
    const std::string validator = ValidatorPathFor(name + contract::kArchiveSuffix);
    names.push_back({dir, validator});
    names.push_back({dir, platform::TemporaryNameFor(validator)});
  }
  RemoveOwnedNames(Utf8(settings_.downloadDir), names);
}

}  // namespace updater
