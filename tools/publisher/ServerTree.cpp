#include "tools/publisher/ServerTree.h"

#include <algorithm>

#include "contract/Contract.h"
#include "platform/FileSystem.h"
#include "tools/publisher/Scratch.h"
#include "updater/ArchiveReader.h"
#include "updater/ListPaths.h"
#include "updater/LiveThread.h"
#include "updater/UpdateList.h"

namespace publisher {
namespace {

namespace fs = std::filesystem;

fs::path Local(text::WStringView path) { return platform::FsPath(text::ToUtf8(path)); }

text::WString NameOf(const fs::path& path) { return text::FromUtf8(platform::Utf8Path(path.filename())); }

text::WString Quoted(text::WStringView s) { return u"\"" + text::WString(s) + u"\""; }

// Where the folder keeps the archive of one listed file.
fs::path ArchivePath(const fs::path& folder, const text::WString& key, const updater::UpdateFileEntry& entry) {
  fs::path path = folder;
  if (!entry.FilePath().empty()) path /= Local(updater::LocalRelativePath(entry.FilePath()));
  return path / Local(entry.FileName() + u"." + key);
}

std::optional<text::WString> MissingArchive(const fs::path& folder, const text::WString& key,
                                            const updater::UpdateFileEntry& entry) {
  if (!updater::IsSafeFileName(entry.FileName()) || !updater::IsSafeFilePath(entry.FilePath())) {
    return u"its list names a file outside the folder: " + Quoted(entry.FileName());
  }
  const fs::path archive = ArchivePath(folder, key, entry);
  platform::FileFacts facts;
  if (!platform::RegularFileFacts(platform::Utf8Path(archive), platform::Links::kFollow, facts)) {
    return u"archive " + text::FromUtf8(platform::Utf8Path(archive)) + u" is missing";
  }
  if (entry.CompressLen() < 0 || facts.size != uint64_t(entry.CompressLen())) {
    return u"archive " + text::FromUtf8(platform::Utf8Path(archive)) + u" holds " +
           text::FromUtf8(std::to_string(facts.size)) + u" bytes, its list says " +
           text::FormatInt(entry.CompressLen());
  }
  return std::nullopt;
}

}  // namespace

fs::path ProductDir(text::WStringView root, text::WStringView corp, text::WStringView name) {
  return Local(root) / Local(text::AsciiLower(corp)) / Local(text::AsciiLower(name));
}

std::vector<PublishedVersion> FindPublishedVersions(const fs::path& product) {
  std::vector<PublishedVersion> found;
  std::error_code ec;
  for (fs::directory_iterator it(product, ec), end; !ec && it != end; it.increment(ec)) {
    const text::WString folder = NameOf(it->path());
    std::error_code kindError;
    if (folder.empty() || folder[0] == u'.' || !it->is_directory(kindError)) continue;
    updater::UpdateList list;
    found.push_back({folder, ReadFolderList(it->path(), folder, list) ? list.Version() : text::WString()});
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.folder < b.folder; });
  return found;
}

std::optional<text::WString> HighestVersion(const std::vector<PublishedVersion>& published) {
  std::optional<text::WString> highest;
  for (const PublishedVersion& p : published) {
    if (!p.version.empty() && (!highest || contract::VersionSortsBefore(*highest, p.version))) highest = p.version;
  }
  return highest;
}

bool ReadFolderList(const fs::path& folder, text::WStringView key, updater::UpdateList& list) {
  const fs::path archive = folder / Local(text::Ascii(contract::kListName) + u"." + text::WString(key));
  ScratchDir scratch;
  if (scratch.Path().empty()) return false;
  const text::WString unpacked = text::FromUtf8(scratch.Path()) + u"/" + text::Ascii(contract::kListName);
  updater::ArchiveReader reader;
  if (reader.OpenArchive(text::FromUtf8(platform::Utf8Path(archive))) != updater::ArchiveResult::kOk) return false;
  const bool ok = reader.ExtractItem(0, unpacked, updater::kListLimit) == updater::ArchiveResult::kOk;
  reader.CloseArchive();
  return ok && list.Load(unpacked);
}

std::optional<text::WString> IncompleteProblem(const fs::path& folder, text::WStringView name,
                                               text::WStringView version) {
  const text::WString key = NameOf(folder);
  const text::WString shown = u"version folder " + text::FromUtf8(platform::Utf8Path(folder));
  updater::UpdateList list;
  if (!ReadFolderList(folder, key, list)) return shown + u" holds no readable list " + Quoted(text::Ascii(contract::kListName) + u"." + key);
  if (list.Version() != version || list.Name() != name) {
    return shown + u" holds " + list.Name() + u" " + list.Version() + u", not " + text::WString(name) + u" " +
           text::WString(version);
  }
  for (updater::UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (std::optional<text::WString> missing = MissingArchive(folder, key, *entry)) return shown + u": " + *missing;
  }
  return std::nullopt;
}

}  // namespace publisher
