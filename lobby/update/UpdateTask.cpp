#include "lobby/update/UpdateTask.h"

#include <ctime>

#include "contract/Contract.h"
#include "lobby/config/ClientConfig.h"
#include "platform/InstanceLock.h"
#include "platform/ChildProcess.h"
#include "platform/Paths.h"
#include "text/CodePage.h"
#include "xml/XmlDocument.h"

namespace lobby {

namespace {

using text::WString;

// The root's first "Software" child becomes the child position.
bool FindSoftware(xml::XmlDocument& doc) { return doc.FindChildElement(u"Software"); }

WString TimeQuery() {
  auto now = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
  return u"?a=" + text::FormatInt(now);
}

// Reads programDir/Update.cfg: true when it names `name`. Its version goes to `version` first,
// whichever program it names.
bool ReadVersionRecord(const WString& programDir, const WString& name, WString& version) {
  if (!platform::IsDirectory(programDir)) return false;
  xml::XmlDocument doc;
  if (!doc.LoadFile(programDir + u"/" + text::Ascii(contract::kVersionRecordName), kMaxConfigBytes)) return false;
  if (!FindSoftware(doc)) return false;
  version = doc.GetChildAttribute(u"version");
  return doc.GetChildData() == name;
}

// The server is there and says it has no such file: nothing is published under that name.
bool IsMissingFileStatus(long status) { return status == 404 || status == 410; }

}  // namespace

using contract::GameState;

UpdateTask::UpdateTask(WString name, WString programDir)
    : UpdateTask(std::move(name), std::move(programDir), ClientConfig::Instance(),
                 platform::StagingRoot(contract::kCorp)) {}

UpdateTask::UpdateTask(WString name, WString programDir, const ClientConfig& config,
                       const WString& stagingRoot)
    : Corp(config.GetCorp()),
      ProgramDir(std::move(programDir)),
      Name(std::move(name)),
      PackageUrl(contract::PackageUrl(config.GetUpdateUrl(), config.GetCorp(), Name)),
      mainPath_(config.GetMainPath()) {
  // The updater empties this directory when it is done: it must never be anyone else's.
  DownloadDir = platform::IsAbsolutePath(stagingRoot) ? stagingRoot : platform::StagingRoot(contract::kCorp);
  DownloadDir += u"/" + (platform::IsPlainName(Corp) ? Corp : u"_");
  DownloadDir += u"/" + (platform::IsPlainName(Name) ? Name : u"_");
}

void UpdateTask::CreateDownloadDirectory() const {
  const size_t nameLevel = DownloadDir.rfind(u'/');
  platform::CreateDirectory(DownloadDir.substr(0, nameLevel));
  platform::CreateDirectory(DownloadDir);
}

bool UpdateTask::ReadInstalledVersion() { return ReadVersionRecord(ProgramDir, Name, Version); }

GameState UpdateTask::CheckLatestVersion() {
  CreateDownloadDirectory();
  std::string url = text::ToUtf8(PackageUrl + u"/" + text::Ascii(contract::kServerVersionName) + TimeQuery());
  FetchedHead fetched = FetchHeadAndStatus(url, limits_);
  LastFailure = CheckFailure::kNone;
  std::optional<std::string>& body = fetched.body;
  if (!body) {
    LastFailure = IsMissingFileStatus(fetched.status) ? CheckFailure::kNoRelease : CheckFailure::kUnreachable;
    return GameState::kNoAnswer;
  }
  // Stop at the first zero byte, as a C string buffer would.
  body->resize(std::min(body->size(), body->find('\0')));
  xml::XmlDocument doc(text::DecodeAnsi(*body).value_or(WString()));
  if (!FindSoftware(doc) || doc.GetChildData() != Name) {
    LastFailure = CheckFailure::kNoRelease;
    return GameState::kNoAnswer;
  }
  WString latest = doc.GetChildAttribute(u"version");
  if (!VersionSortsBefore(Version, latest)) return GameState::kCurrent;
  Version = latest;
  return GameState::kNewer;
}

std::string UpdateTask::UpdaterPath() const {
  return text::ToUtf8(mainPath_) + "/" + contract::kUpdaterName + platform::kExeSuffix;
}

std::vector<std::string> UpdateTask::UpdaterArguments(bool reboot) const {
  std::vector<std::string> argv{std::string(contract::kUpdaterName) + platform::kExeSuffix,
                                contract::kNameOption, text::ToUtf8(Name),
                                contract::kNumberOption, text::ToUtf8(Version),
                                contract::kProgOption, text::ToUtf8(ProgramDir),
                                contract::kDownOption, text::ToUtf8(DownloadDir),
                                contract::kHttpOption, text::ToUtf8(PackageUrl)};
  if (reboot) argv.push_back(contract::kRebootOption);
  return argv;
}

bool UpdateTask::LaunchUpdater(bool reboot) {
  platform::CreateDirectory(ProgramDir);
  CreateDownloadDirectory();
  auto child = platform::ChildProcess::Start(UpdaterPath(), UpdaterArguments(reboot), "", true);
  if (!child) return false;
  updater_ = std::make_shared<platform::ChildProcess>(std::move(*child));
  return true;
}

bool UpdateTask::UpdaterProcessRunning() const { return updater_ && !updater_->HasEnded(); }

std::optional<int> UpdateTask::UpdaterExitCode() const {
  return updater_ ? updater_->ExitCode() : std::nullopt;
}

WString InstalledVersion(const WString& name, const WString& programDir) {
  WString version;
  return ReadVersionRecord(programDir, name, version) ? version : WString();
}

bool VersionSortsBefore(const WString& a, const WString& b) { return contract::VersionSortsBefore(a, b); }

bool IsUpdaterRunning(const std::string& lockName) { return platform::InstanceLock::IsTaken(lockName); }

bool IsUpdaterRunning(const UpdateTask& task, const std::string& lockName) {
  return task.UpdaterProcessRunning() || IsUpdaterRunning(lockName);
}

}  // namespace lobby
