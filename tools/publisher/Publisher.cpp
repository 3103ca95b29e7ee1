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
#include "tools/publisher/KeyFiles.h"
#include "tools/publisher/ProgramFiles.h"
#include "tools/publisher/PublishedList.h"
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
constexpr size_t kVersionFileLimit = 1024;  // the lobby reads no more than this
constexpr time_t kGeneratedFileTime = 946684800;  // 2000-01-01 UTC: generated files get a fixed time

struct Paths {
  fs::path program;
  fs::path product;  // <root>/<corp>/<name>
  fs::path version;  // product/<key>
  text::WString key;
};

struct PlannedFile {
  ProgramFile source;
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

// "<Root><Software version="v">name</Software></Root>" in code page 936 with a "gbk" declaration.
std::string SoftwareDocument(const std::string& name, const std::string& version) {
  TiXmlDocument document;
  document.LinkEndChild(new TiXmlDeclaration("1.0", "gbk", "yes"));
  auto* root = new TiXmlElement("UpdateConfig");
  root->SetAttribute("version", "1.0");
  auto* software = new TiXmlElement("Software");
  software->SetAttribute("version", version.c_str());
  software->LinkEndChild(new TiXmlText(name));
  root->LinkEndChild(software);
  document.LinkEndChild(root);
  TiXmlPrinter printer;
  document.Accept(&printer);
  return printer.Str();
}

text::WString Quoted(text::WStringView s) { return u"\"" + text::WString(s) + u"\""; }

std::optional<text::WString> CheckOptions(const PublishOptions& o, std::string& name, std::string& version) {
  if (o.name.empty() || o.version.empty() || o.programDir.empty() || o.serverRoot.empty() || o.corp.empty())
    return u"name, version, program directory and server root are all required";
  std::optional<std::string> encodedName = text::EncodeAnsi(o.name);
  std::optional<std::string> encodedVersion = text::EncodeAnsi(o.version);
  if (!encodedName) return u"program name " + Quoted(o.name) + u" cannot be written in code page 936 (GBK)";
  if (!encodedVersion) return u"version " + Quoted(o.version) + u" cannot be written in code page 936 (GBK)";
  if (encodedName->size() > updater::kVersionLimit || encodedVersion->size() > updater::kVersionLimit)
    return u"program name and version are limited to 32 bytes in code page 936";
  if (!updater::IsSafeFileName(o.name) || !updater::IsSafeFileName(o.corp))
    return u"program name and brand word must be plain directory names";
  text::WString key = contract::VersionKey(o.version);
  if (!updater::IsSafeFileName(key)) return u"version " + Quoted(o.version) + u" gives no usable directory name";
  if (!fs::is_directory(Local(o.programDir))) return u"no program directory " + Quoted(o.programDir);
  name = std::move(*encodedName);
  version = std::move(*encodedVersion);
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

std::optional<text::WString> PlanFiles(const Paths& paths, std::vector<PlannedFile>& planned) {
  std::vector<ProgramFile> files;
  text::WString error;
  if (!ListProgramFiles(Utf8(paths.program), files, error)) return error;
  // Update.cfg is written after the checks, but belongs to the set in any case.
  bool hasConfig = false;
  for (const ProgramFile& f : files) hasConfig = hasConfig || (f.listPath.empty() && f.name == kConfigName);
  if (!hasConfig) {
    ProgramFile config{Utf8(paths.program / contract::kVersionRecordName), kConfigName, u"", u""};
    files.insert(std::lower_bound(files.begin(), files.end(), config, ListedBefore), config);
  }
  if (std::optional<text::WString> problem = CheckLocalNames(files)) return problem;
  for (const ProgramFile& file : files) {
    PlannedFile plan;
    if (std::optional<text::WString> problem = PlanFile(file, paths.key, plan)) return problem;
    planned.push_back(std::move(plan));
  }
  return std::nullopt;
}

bool WriteConfigIfChanged(const fs::path& program, const std::string& document) {
  fs::path config = program / contract::kVersionRecordName;
  std::optional<std::string> existing = ReadWholeFile(Utf8(config));
  if (existing && *existing == document) return true;
  if (!ReplaceFile(config, document)) return false;
  // A generated file gets a fixed time, so its archive does not depend on when we ran.
  return platform::SetFileTimes(Utf8(config), kGeneratedFileTime, kGeneratedFileTime);
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

std::optional<text::WString> PackFile(const Paths& paths, PlannedFile& file, PublishResult& result) {
  const std::string& source = file.source.localPath;
  std::optional<std::string> data = ReadWholeFile(source);
  platform::FileFacts facts;
  if (!data || !platform::RegularFileFacts(source, platform::Links::kFollow, facts)) {
    return u"cannot read " + text::FromUtf8(source);
  }
  if (data->size() > size_t(INT32_MAX)) return u"file " + text::FromUtf8(source) + u" is larger than 2 GiB";
  file.record.fileLen = int32_t(data->size());
  file.record.fileCrc = text::ToUtf8(updater::CrcText(updater::Crc32(data->data(), data->size())));
  ZipItemSource item{file.record.fileName, std::move(*data), WholeSeconds(facts.modifiedNs), facts.mode & 0777};
  fs::path archive = paths.version / Local(file.source.localDir) / Local(file.source.name + u"." + paths.key);
  if (!PackArchive(archive, item, file.record)) return u"cannot write " + text::FromUtf8(Utf8(archive));
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
  fs::path archive = paths.version / text::ToUtf8(kListName + u"." + paths.key);
  updater::FileRecord unused;
  ZipItemSource item{text::ToUtf8(kListName), std::move(document), kGeneratedFileTime, 0644};
  if (!PackArchive(archive, item, unused)) return u"cannot write " + text::FromUtf8(Utf8(archive));
  if (key) return SignList(archive, *key);
  // An unsigned release must not keep the signature of an earlier publication of the version.
  std::error_code ec;
  fs::path sig = archive;
  sig += contract::kSignatureSuffix;
  fs::remove(sig, ec);
  return std::nullopt;
}

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

}  // namespace

PublishResult Publish(const PublishOptions& options) {
  std::string name, version;
  if (std::optional<text::WString> problem = CheckOptions(options, name, version)) return Failure(*problem);
  Paths paths;
  paths.program = Local(options.programDir);
  paths.key = contract::VersionKey(options.version);
  paths.product = Local(options.serverRoot) / Local(text::AsciiLower(options.corp)) / Local(text::AsciiLower(options.name));
  paths.version = paths.product / Local(paths.key);

  std::optional<updater::SecretKey> key;
  if (!options.secretKeyFile.empty()) {
    text::WString error;
    key = ReadSecretKey(text::ToUtf8(options.secretKeyFile), error);
    if (!key) return Failure(error);
  }
  const std::string signedTime =
      std::to_string(options.signingTime > 0 ? options.signingTime : static_cast<int64_t>(std::time(nullptr)));
  if (std::optional<text::WString> problem = CheckShippedKeys(paths, options)) return Failure(*problem);
  std::vector<PlannedFile> files;
  if (std::optional<text::WString> problem = PlanFiles(paths, files)) return Failure(*problem);
  std::string listCheck;
  if (auto problem = BuildListDocument(options.name, options.version, signedTime, Listed(files), listCheck)) {
    return Failure(*problem);
  }
  std::string document = SoftwareDocument(name, version);
  if (document.size() > kVersionFileLimit) return Failure(u"the version file would exceed 1024 bytes");
  if (!WriteConfigIfChanged(paths.program, document)) {
    return Failure(u"cannot write " + kConfigName + u" into the program directory");
  }

  PublishResult result;
  std::error_code ec;
  fs::create_directories(paths.version, ec);
  for (PlannedFile& file : files) {
    if (std::optional<text::WString> problem = PackFile(paths, file, result)) return Failure(*problem);
  }
  if (std::optional<text::WString> problem = WriteList(paths, options, signedTime, key, files)) return Failure(*problem);
  // Last: the lobby learns of the version only once every archive is in place.
  if (!ReplaceFile(paths.product / contract::kServerVersionName, document)) {
    return Failure(u"cannot write " + text::Ascii(contract::kServerVersionName));
  }

  result.ok = true;
  result.files = uint32_t(files.size());
  result.versionDir = text::FromUtf8(Utf8(paths.version));
  result.message = u"published " + options.name + u" " + options.version + u": " + text::FormatUInt(result.files) +
                   u" files, " + text::FromUtf8(std::to_string(result.fileBytes)) + u" bytes (" +
                   text::FromUtf8(std::to_string(result.archiveBytes)) + u" zipped) in " + result.versionDir +
                   (key ? u", signed" : u", not signed");
  return result;
}

}  // namespace publisher
