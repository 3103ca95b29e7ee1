#include "tools/publisher/Publisher.h"

#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <vector>

#include "contract/Contract.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "text/CodePage.h"
#include "tools/publisher/Announce.h"
#include "tools/publisher/KeyFiles.h"
#include "tools/publisher/ProgramFiles.h"
#include "tools/publisher/PublishedList.h"
#include "tools/publisher/ReleaseRules.h"
#include "tools/publisher/ServerTree.h"
#include "tools/publisher/SingleFileZip.h"
#include "updater/ArchiveHash.h"
#include "updater/Crc32.h"
#include "updater/ListPaths.h"
#include "updater/TrustedKeys.h"
#include "updater/UpdateList.h"

namespace publisher {
namespace {

namespace fs = std::filesystem;

const text::WString kConfigName = text::Ascii(contract::kVersionRecordName);
const text::WString kListName = text::Ascii(contract::kListName);
constexpr time_t kGeneratedFileTime = 946684800;  // 2000-01-01 UTC: generated files get a fixed time

struct Paths {
  fs::path program;
  fs::path product;  // <root>/<corp>/<name>
  fs::path version;  // product/<key>: where clients find the version
  fs::path work;     // where it is built before it is renamed into place
  text::WString key;
};

struct PlannedFile {
  ProgramFile source;
  std::optional<std::string> made;  // the content of a file the publisher makes, not reads
  updater::FileRecord record;  // names encoded; sizes and CRCs filled in while packing
};

PublishResult Failure(text::WString message) {
  PublishResult result;
  result.message = std::move(message);
  return result;
}

fs::path Local(text::WStringView path) { return platform::FsPath(text::ToUtf8(path)); }

std::string Utf8(const fs::path& path) { return platform::Utf8Path(path); }

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(platform::FsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// Replaces the file in one step, flushed, so a server reading it never sees half a file.
bool ReplaceFile(const fs::path& path, const std::string& bytes) { return platform::ReplaceFileContent(Utf8(path), bytes); }

text::WString Quoted(text::WStringView s) { return u"\"" + text::WString(s) + u"\""; }

std::optional<text::WString> CheckOptions(const PublishOptions& o) {
  if (o.name.empty() || o.version.empty() || o.programDir.empty() || o.serverRoot.empty() || o.corp.empty())
    return u"name, version, program directory and server root are all required";
  if (std::optional<text::WString> problem = NameProblem(o.name, o.corp)) return problem;
  if (std::optional<text::WString> problem = VersionShapeProblem(o.version)) return problem;
  if (!fs::is_directory(Local(o.programDir))) return u"no program directory " + Quoted(o.programDir);
  return std::nullopt;
}

// True when one directory is the other or lies below it (links resolved as far as they exist).
bool Overlap(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const fs::path x = fs::weakly_canonical(a, ec), y = fs::weakly_canonical(b, ec);
  if (x.empty() || y.empty()) return false;  // unresolvable: the writes fail on their own
  auto within = [](const fs::path& inner, const fs::path& outer) {
    auto [end, unused] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
  };
  return within(x, y) || within(y, x);
}

// The program directory is only read: the server tree must lie outside it, and it outside the tree.
std::optional<text::WString> CheckPlaces(const Paths& paths) {
  if (Overlap(paths.program, paths.product)) {
    return u"the program directory and the program's server directory " + text::FromUtf8(Utf8(paths.product)) +
           u" must not lie in one another";
  }
  return std::nullopt;
}

// A folder's key shared with another version is refused even when forced: both versions would
// be fetched from one folder. Then a published version is never replaced, and a new one must
// sort after the highest published, unless forced.
std::optional<text::WString> CheckPublished(const Paths& paths, const PublishOptions& o) {
  const std::vector<PublishedVersion> published = FindPublishedVersions(paths.product);
  for (const PublishedVersion& p : published) {
    if (p.folder != paths.key) continue;
    if (!p.version.empty() && p.version != o.version) {
      return u"version " + o.version + u" would share the folder \"" + p.folder + u"\" with the published version " +
             p.version + u" (a folder's name is the version without its dots); choose another version";
    }
    if (o.force) continue;
    if (p.version.empty()) {
      return u"the folder " + text::FromUtf8(Utf8(paths.version)) +
             u" exists but holds no readable list; --force replaces it";
    }
    return u"version " + o.version + u" is already published in " + text::FromUtf8(Utf8(paths.version)) +
           u"; published versions are not changed (--force replaces it)";
  }
  const std::optional<text::WString> highest = HighestVersion(published);
  if (o.force || !highest || *highest == o.version) return std::nullopt;
  if (auto problem = NotNewerProblem(o.version, *highest, u"the highest published version")) {
    return *problem + u" (--force publishes it anyway)";
  }
  return std::nullopt;
}

text::WString ShownName(const ProgramFile& file) {
  return file.localDir.empty() ? file.name : file.localDir + u"/" + file.name;
}

// Every file must survive the trip through the list: encodable, within the field limits, a
// plain name, and not clashing with the list's own archive.
std::optional<text::WString> PlanFile(const ProgramFile& file, const text::WString& key, PlannedFile& planned) {
  text::WString shown = ShownName(file);
  std::optional<std::string> name = text::EncodeAnsi(file.name);
  std::optional<std::string> path = text::EncodeAnsi(file.listPath);
  if (!name || !path) return u"file " + Quoted(shown) + u" has a name that cannot be written in code page 936 (GBK)";
  if (!updater::IsSafeFileName(file.name) || !updater::IsSafeFilePath(file.listPath))
    return u"file " + Quoted(shown) + u" has a name the update list cannot carry";
  if (file.listPath.empty() && file.name == kListName)
    return u"file " + Quoted(shown) + u" would clash with the archive of the file list";
  planned.source = file;
  planned.record.fileName = *name;
  planned.record.filePath = *path;
  planned.record.compressName = *name + "." + text::ToUtf8(key);
  planned.record.compressPath = *path;
  planned.record.fileCrc = planned.record.compressCrc = "0";
  if (planned.record.compressName.size() > updater::kNameFieldLimit || path->size() > updater::kNameFieldLimit)
    return u"file " + Quoted(shown) + u" has a name longer than the update list allows";
  return std::nullopt;
}

// The updater keeps each file's archive as "<name>.zip" beside the unpacked file, and its own
// lists and logs at the top of its download directory: a file (or folder) under any of those
// names would share a local name with another file.
std::optional<text::WString> CheckLocalNames(const std::vector<ProgramFile>& files) {
  std::set<text::WString> own;
  for (const char* name : contract::kDownloadOwnNames) own.insert(text::Ascii(name));
  own.erase(kListName);  // PlanFile refuses it: it would clash with the list on the server too
  std::set<text::WString> taken;  // every file and folder, by its path below the program directory
  for (const ProgramFile& f : files) {
    taken.insert(ShownName(f));
    for (size_t slash = f.localDir.find(u'/');; slash = f.localDir.find(u'/', slash + 1)) {
      if (!f.localDir.empty()) taken.insert(f.localDir.substr(0, slash));
      if (slash == text::WString::npos) break;
    }
  }
  for (const ProgramFile& f : files) {
    const text::WString shown = ShownName(f);
    const text::WString archive = shown + text::Ascii(contract::kArchiveSuffix);
    if ((f.localDir.empty() && own.count(f.name)) || taken.count(archive))
      return u"file " + Quoted(shown) + u" would share a local name in the updater's download directory";
    // The archive is kept as "<name>.zip", which must still be a name the file system takes.
    if (text::ToUtf8(f.name).size() + std::strlen(contract::kArchiveSuffix) > platform::kNameBytesMax)
      return u"file " + Quoted(shown) + u" has a name too long for its local archive name";
  }
  return std::nullopt;
}

std::optional<text::WString> PlanFiles(const Paths& paths, const std::string& configDocument,
                                       std::vector<PlannedFile>& planned) {
  std::vector<ProgramFile> files;
  text::WString error;
  if (!ListProgramFiles(Utf8(paths.program), files, error)) return error;
  // The release's Update.cfg is the one the publisher makes; one in the program directory is
  // left where it is and not published.
  const ProgramFile config{"", kConfigName, u"", u""};
  std::erase_if(files, [](const ProgramFile& f) { return f.listPath.empty() && f.name == kConfigName; });
  files.insert(std::lower_bound(files.begin(), files.end(), config, ListedBefore), config);
  if (std::optional<text::WString> problem = CheckLocalNames(files)) return problem;
  for (const ProgramFile& file : files) {
    PlannedFile plan;
    if (std::optional<text::WString> problem = PlanFile(file, paths.key, plan)) return problem;
    if (file.localPath.empty()) plan.made = configDocument;
    planned.push_back(std::move(plan));
  }
  return std::nullopt;
}

bool PackArchive(const fs::path& archive, const ZipItemSource& item, updater::FileRecord& record) {
  std::error_code ec;
  fs::create_directories(archive.parent_path(), ec);
  // The zip is built beside the archive, then put in place by the careful replacement.
  fs::path built = archive;
  built += ".building";
  const bool written = WriteSingleFileZip(Utf8(built), item);
  std::optional<std::string> zipped = written ? ReadWholeFile(Utf8(built)) : std::nullopt;
  fs::remove(built, ec);
  if (!zipped || zipped->size() > size_t(INT32_MAX) || !ReplaceFile(archive, *zipped)) return false;
  record.compressLen = int32_t(zipped->size());
  record.compressCrc = text::ToUtf8(updater::CrcText(updater::Crc32(zipped->data(), zipped->size())));
  record.compressHash = updater::HashText(*zipped);
  return true;
}

// The whole seconds of a time, rounded down as the file system's own seconds are.
time_t WholeSeconds(int64_t ns) { return static_cast<time_t>(ns >= 0 ? ns / 1000000000 : -((-ns + 999999999) / 1000000000)); }

// The file's bytes with the time and mode its archive item keeps. A file the publisher makes
// gets a fixed time, so its archive does not depend on when we ran.
std::optional<ZipItemSource> ReadItem(const PlannedFile& file) {
  if (file.made) return ZipItemSource{file.record.fileName, *file.made, kGeneratedFileTime, 0644};
  const std::string& source = file.source.localPath;
  std::optional<std::string> data = ReadWholeFile(source);
  platform::FileFacts facts;
  if (!data || !platform::RegularFileFacts(source, platform::Links::kFollow, facts)) return std::nullopt;
  return ZipItemSource{file.record.fileName, std::move(*data), WholeSeconds(facts.modifiedNs), facts.mode & 0777};
}

std::optional<text::WString> PackFile(const Paths& paths, PlannedFile& file, PublishResult& result) {
  const std::string& source = file.source.localPath;
  std::optional<ZipItemSource> item = ReadItem(file);
  if (!item) return u"cannot read " + text::FromUtf8(source);
  const std::string& data = item->data;
  if (data.size() > size_t(INT32_MAX)) return u"file " + text::FromUtf8(source) + u" is larger than 2 GiB";
  file.record.fileLen = int32_t(data.size());
  file.record.fileCrc = text::ToUtf8(updater::CrcText(updater::Crc32(data.data(), data.size())));
  fs::path archive = paths.work / Local(file.source.localDir) / Local(file.source.name + u"." + paths.key);
  if (!PackArchive(archive, *item, file.record)) return u"cannot write " + text::FromUtf8(Utf8(archive));
  result.fileBytes += file.record.fileLen;
  result.archiveBytes += file.record.compressLen;
  return std::nullopt;
}

std::vector<ListedFile> Listed(const std::vector<PlannedFile>& files) {
  std::vector<ListedFile> listed;
  for (const PlannedFile& file : files) listed.push_back({ShownName(file.source), file.record});
  return listed;
}

// The detached signature of the list archive's bytes, beside it.
std::optional<text::WString> SignList(const fs::path& archive, const updater::SecretKey& key) {
  std::optional<std::string> bytes = ReadWholeFile(Utf8(archive));
  if (!bytes) return u"cannot read " + text::FromUtf8(Utf8(archive));
  const updater::SignatureBytes signature = updater::SignDetached(*bytes, key);
  fs::path sig = archive;
  sig += contract::kSignatureSuffix;
  if (!ReplaceFile(sig, updater::Base64(signature.data(), signature.size()) + "\n")) {
    return u"cannot write " + text::FromUtf8(Utf8(sig));
  }
  return std::nullopt;
}

std::optional<text::WString> WriteList(const Paths& paths, const PublishOptions& options, const std::string& signedTime,
                                       const std::optional<updater::SecretKey>& key,
                                       const std::vector<PlannedFile>& files) {
  std::string document;
  if (auto problem = BuildListDocument(options.name, options.version, signedTime, Listed(files), document)) return problem;
  fs::path archive = paths.work / text::ToUtf8(kListName + u"." + paths.key);
  updater::FileRecord unused;
  ZipItemSource item{text::ToUtf8(kListName), std::move(document), kGeneratedFileTime, 0644};
  if (!PackArchive(archive, item, unused)) return u"cannot write " + text::FromUtf8(Utf8(archive));
  if (key) return SignList(archive, *key);
  return std::nullopt;
}

// The work folder of an earlier run that did not finish is removed first.
std::optional<text::WString> StartWorkFolder(const Paths& paths) {
  std::error_code ec;
  fs::remove_all(paths.work, ec);
  if (!ec) fs::create_directories(paths.work, ec);
  if (ec) return u"cannot make " + text::FromUtf8(Utf8(paths.work)) + u": " + text::FromUtf8(ec.message());
  return std::nullopt;
}

// The whole version folder appears under its name in one rename; a folder replaced by force is
// moved aside first and removed after.
std::optional<text::WString> PutInPlace(const Paths& paths) {
  std::error_code missing, ec;
  fs::path aside = paths.work;
  aside += ".replaced";
  const bool replacing = fs::exists(fs::symlink_status(paths.version, missing));
  if (replacing) {
    fs::remove_all(aside, ec);
    fs::rename(paths.version, aside, ec);
  }
  if (!ec) fs::rename(paths.work, paths.version, ec);
  if (ec) return u"cannot put " + text::FromUtf8(Utf8(paths.version)) + u" in place: " + text::FromUtf8(ec.message());
  if (replacing) fs::remove_all(aside, ec);
  return std::nullopt;
}

// Removes the work folder unless the publication got it into place.
class WorkFolderGuard {
 public:
  explicit WorkFolderGuard(fs::path work) : work_(std::move(work)) {}
  ~WorkFolderGuard() {
    std::error_code ec;
    fs::remove_all(work_, ec);
  }
  WorkFolderGuard(const WorkFolderGuard&) = delete;
  WorkFolderGuard& operator=(const WorkFolderGuard&) = delete;

 private:
  fs::path work_;
};

// A key file shipped with the program must leave a key that may sign it, or the release would
// lock out every later one (the updater refuses such a release).
std::optional<text::WString> CheckShippedKeys(const Paths& paths, const PublishOptions& options) {
  const fs::path keys = paths.program / contract::kKeyFileName;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(keys, ec))) return std::nullopt;
  if (!updater::CanSignFor(updater::LoadTrustedKeys(Utf8(keys)), options.name)) {
    return u"the program's UpdateKeys.pub holds no key that may sign " + options.name;
  }
  return std::nullopt;
}

Paths PathsOf(const PublishOptions& options) {
  Paths paths;
  paths.program = Local(options.programDir);
  paths.key = contract::VersionKey(options.version);
  paths.product = ProductDir(options.serverRoot, options.corp, options.name);
  paths.version = paths.product / Local(paths.key);
  paths.work = paths.product / Local(u"." + paths.key + u".publishing");
  return paths;
}

// Everything that can refuse the release without writing anything.
std::optional<text::WString> CheckRelease(const Paths& paths, const PublishOptions& options) {
  if (std::optional<text::WString> problem = CheckPlaces(paths)) return problem;
  if (std::optional<text::WString> problem = CheckShippedKeys(paths, options)) return problem;
  if (std::optional<text::WString> problem = CheckPublished(paths, options)) return problem;
  if (options.announce) return AnnounceOrderProblem(paths.product, options.version, options.force);
  return std::nullopt;
}

}  // namespace

PublishResult Publish(const PublishOptions& options) {
  if (std::optional<text::WString> problem = CheckOptions(options)) return Failure(*problem);
  const Paths paths = PathsOf(options);
  std::optional<updater::SecretKey> key;
  if (!options.secretKeyFile.empty()) {
    text::WString error;
    key = ReadSecretKey(text::ToUtf8(options.secretKeyFile), error);
    if (!key) return Failure(error);
  }
  const std::string signedTime =
      std::to_string(options.signingTime > 0 ? options.signingTime : static_cast<int64_t>(std::time(nullptr)));
  if (std::optional<text::WString> problem = CheckRelease(paths, options)) return Failure(*problem);
  const std::string config = SoftwareDocument(*text::EncodeAnsi(options.name), *text::EncodeAnsi(options.version));
  std::vector<PlannedFile> files;
  if (std::optional<text::WString> problem = PlanFiles(paths, config, files)) return Failure(*problem);
  std::string listCheck;
  if (auto problem = BuildListDocument(options.name, options.version, signedTime, Listed(files), listCheck)) {
    return Failure(*problem);
  }

  PublishResult result;
  if (std::optional<text::WString> problem = StartWorkFolder(paths)) return Failure(*problem);
  WorkFolderGuard guard(paths.work);
  for (PlannedFile& file : files) {
    if (std::optional<text::WString> problem = PackFile(paths, file, result)) return Failure(*problem);
  }
  if (std::optional<text::WString> problem = WriteList(paths, options, signedTime, key, files)) return Failure(*problem);
  if (std::optional<text::WString> problem = PutInPlace(paths)) return Failure(*problem);
  // Last: the lobby learns of the version only once every archive is in place.
  if (options.announce) {
    if (std::optional<text::WString> problem = WriteAnnouncement(paths.product, options.name, options.version)) {
      return Failure(*problem);
    }
  }

  result.ok = true;
  result.files = uint32_t(files.size());
  result.versionDir = text::FromUtf8(Utf8(paths.version));
  result.message = u"published " + options.name + u" " + options.version + u": " + text::FormatUInt(result.files) +
                   u" files, " + text::FromUtf8(std::to_string(result.fileBytes)) + u" bytes (" +
                   text::FromUtf8(std::to_string(result.archiveBytes)) + u" zipped) in " + result.versionDir +
                   (key ? u", signed" : u", not signed") + (options.announce ? u", announced" : u", not announced");
  return result;
}

}  // namespace publisher
