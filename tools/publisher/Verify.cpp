#include "tools/publisher/Verify.h"

#include <ctime>
#include <optional>
#include <string>

#include "platform/FileRead.h"
#include "platform/FileSystem.h"
#include "tools/publisher/ReleaseRules.h"
#include "tools/publisher/Scratch.h"
#include "updater/ArchiveHash.h"
#include "updater/ArchiveReader.h"
#include "updater/HttpDownload.h"
#include "updater/ListPaths.h"
#include "updater/LiveThread.h"
#include "updater/ReleaseAddresses.h"
#include "updater/ReleaseAuthentication.h"
#include "updater/TrustedKeys.h"
#include "updater/UpdateList.h"

namespace publisher {
namespace {

using text::WString;

WString Number(uint64_t n) { return text::FromUtf8(std::to_string(n)); }

// The file's path below the program directory, for messages.
WString Shown(const updater::UpdateFileEntry& entry) {
  const WString dir = updater::LocalRelativePath(entry.FilePath());
  return dir.empty() ? entry.FileName() : dir + u"/" + entry.FileName();
}

// One run of checks: the scratch files it downloads to and the faults it finds.
class ReleaseCheck {
 public:
  ReleaseCheck(const VerifyOptions& options, VerifyReport& report)
      : options_(options),
        report_(report),
        serverUrl_(contract::PackageUrl(options.updateUrl, options.corp, options.name)),
        key_(contract::VersionKey(options.version)) {}

  void Run() {
    if (scratch_.Path().empty()) return Fault(u"cannot make a scratch folder");
    if (!LoadKeys() || !FetchList() || !CheckSignature() || !ReadList()) return;
    for (updater::UpdateFileEntry* entry = list_.First(); entry; entry = list_.Next()) CheckArchive(*entry);
  }
  const WString& ServerUrl() const { return serverUrl_; }
  uint32_t Archives() const { return list_.Count(); }
  uint64_t Bytes() const { return bytes_; }

 private:
  void Fault(WString line) { report_.faults.push_back(std::move(line)); }
  std::string Scratch(const char* name) const { return scratch_.Path() + "/" + name; }

  // GETs the address as the updater does (escaped, with its time query) into a scratch file.
  bool Fetch(const WString& url, const std::string& target, uint64_t maxBytes, updater::Digest* digest = nullptr,
             updater::ArchiveHash* hash = nullptr) {
    platform::RemoveFile(target);
    return http_.Get(updater::RequestUrl(url, static_cast<uint32_t>(std::time(nullptr))), target, maxBytes, {},
                     digest, hash);
  }

  bool LoadKeys() {
    if (options_.keysFile.empty()) return true;
    trust_ = updater::LoadTrustedKeys(text::ToUtf8(options_.keysFile));
    if (trust_.mode == updater::UpdateTrust::Mode::kKeys) return true;
    Fault(u"no usable key in " + options_.keysFile);
    return false;
  }

  bool FetchList() {
    listUrl_ = updater::ListUrl(serverUrl_, key_);
    if (Fetch(listUrl_, Scratch("list.zip"), updater::kListArchiveLimit)) return true;
    Fault(u"list " + listUrl_ + u": cannot be fetched");
    return false;
  }

  bool CheckSignature() {
    if (!trust_.Authenticates()) return true;
    const WString sigUrl = listUrl_ + text::Ascii(contract::kSignatureSuffix);
    if (!Fetch(sigUrl, Scratch("list.sig"), updater::kSignatureFileLimit)) {
      Fault(u"signature " + sigUrl + u": cannot be fetched");
      return false;
    }
    const auto archive = platform::ReadRegularFile(Scratch("list.zip"), updater::kListArchiveLimit);
    const auto signature = platform::ReadRegularFile(Scratch("list.sig"), updater::kSignatureFileLimit);
    std::string why = "the downloaded list cannot be read";
    if (archive && signature && updater::SignedByTrustedKey(trust_, *archive, *signature, options_.name, why)) return true;
    Fault(u"signature " + sigUrl + u": " + text::FromUtf8(why));
    return false;
  }

  bool ReadList() {
    const WString unpacked = text::FromUtf8(Scratch("UpdateList.xml"));
    updater::ArchiveReader reader;
    const bool unzipped = reader.OpenArchive(text::FromUtf8(Scratch("list.zip"))) == updater::ArchiveResult::kOk &&
                          reader.ExtractItem(0, unpacked, updater::kListLimit) == updater::ArchiveResult::kOk;
    reader.CloseArchive();
    if (!unzipped || !list_.Load(unpacked)) {
      Fault(u"list " + listUrl_ + u": not a zipped update list");
      return false;
    }
    std::string why;
    if (trust_.Authenticates() && !updater::BindsRelease(list_, options_.name, options_.version, std::nullopt, why)) {
      Fault(u"list " + listUrl_ + u": " + text::FromUtf8(why));
      return false;
    }
    if (list_.Name() != options_.name || list_.Version() != options_.version) {
      Fault(u"list " + listUrl_ + u": names " + list_.Name() + u" " + list_.Version());
      return false;
    }
    return true;
  }

  void CheckArchive(const updater::UpdateFileEntry& entry) {
    if (!updater::IsSafeFileName(entry.FileName()) || !updater::IsSafeFilePath(entry.FilePath())) {
      return Fault(Shown(entry) + u": a name clients refuse");
    }
    const WString url = updater::ArchiveUrl(serverUrl_, key_, entry.FilePath(), entry.FileName());
    const uint64_t listed = entry.CompressLen() < 0 ? 0 : uint64_t(entry.CompressLen());
    updater::Digest got;
    updater::ArchiveHash hash;
    if (!Fetch(url, Scratch("archive.zip"), listed, &got, &hash)) {
      return Fault(url + u": not served whole (missing, refused, or longer than the " + Number(listed) +
                   u" bytes listed)");
    }
    bytes_ += got.size;
    if (got.size != listed) return Fault(url + u": " + Number(got.size) + u" bytes, the list says " + Number(listed));
    if (updater::CrcText(got.crc) != entry.CompressCrc()) {
      return Fault(url + u": CRC " + updater::CrcText(got.crc) + u", the list says " + entry.CompressCrc());
    }
    if (trust_.Authenticates() && hash.FinishText() != entry.CompressHash()) {
      return Fault(url + u": its hash is not the one the signed list gives");
    }
    CheckUnpacked(entry, url);
  }

  // The updater unpacks every archive and checks the file against the list too.
  void CheckUnpacked(const updater::UpdateFileEntry& entry, const WString& url) {
    const uint64_t listed = entry.FileLen() < 0 ? 0 : uint64_t(entry.FileLen());
    updater::Digest file;
    updater::ArchiveReader reader;
    const bool unpacked =
        reader.OpenArchive(text::FromUtf8(Scratch("archive.zip"))) == updater::ArchiveResult::kOk &&
        reader.ExtractItem(0, text::FromUtf8(Scratch("unpacked")), listed, &file) == updater::ArchiveResult::kOk;
    reader.CloseArchive();
    if (!unpacked) return Fault(url + u": does not unpack to at most the " + Number(listed) + u" bytes listed");
    if (file.size != listed || updater::CrcText(file.crc) != entry.FileCrc()) {
      Fault(url + u": unpacks to " + Number(file.size) + u" bytes with CRC " + updater::CrcText(file.crc) +
            u", the list says " + Number(listed) + u" and " + entry.FileCrc());
    }
  }

  const VerifyOptions& options_;
  VerifyReport& report_;
  WString serverUrl_;
  WString key_;
  WString listUrl_;
  ScratchDir scratch_;
  updater::HttpDownload http_;
  updater::UpdateTrust trust_;
  updater::UpdateList list_;
  uint64_t bytes_ = 0;
};

}  // namespace

VerifyReport Verify(const VerifyOptions& options) {
  VerifyReport report;
  if (auto problem = NameProblem(options.name, options.corp)) report.faults.push_back(*problem);
  if (auto problem = VersionShapeProblem(options.version)) report.faults.push_back(*problem);
  if (!report.Good()) {
    report.summary = u"nothing verified";
    return report;
  }
  ReleaseCheck check(options, report);
  check.Run();
  const WString what = options.name + u" " + options.version + u" at " + check.ServerUrl();
  report.summary = report.Good() ? u"verified " + what + u": " + text::FormatUInt(check.Archives()) + u" archives, " +
                                       Number(check.Bytes()) + u" bytes, all as listed" +
                                       (options.keysFile.empty() ? u"" : u", signature good")
                                 : what + u": " + text::FormatUInt(uint32_t(report.faults.size())) +
                                       (report.faults.size() == 1 ? u" fault" : u" faults");
  return report;
}

}  // namespace publisher
