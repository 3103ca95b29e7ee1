#include "updater/InstalledRelease.h"

#include "contract/UpdaterState.h"
#include "platform/Paths.h"
#include "platform/StateFile.h"

namespace updater {
namespace {

constexpr const char* kKind = "installed";

std::string WithoutLeadingZeros(const std::string& digits) {
  const size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? std::string() : digits.substr(first);
}

std::string RecordPath(text::WStringView stateDir, text::WStringView programDir) {
  return text::ToUtf8(contract::StateFileFor(stateDir, kKind, programDir));
}

}  // namespace

std::optional<InstalledRelease> ReadInstalledRelease(text::WStringView stateDir, text::WStringView programDir) {
  if (stateDir.empty()) return std::nullopt;
  std::optional<platform::StateValues> values = platform::ReadStateFile(RecordPath(stateDir, programDir));
  if (!values || text::FromUtf8((*values)["prog"]) != platform::CanonicalDirectory(programDir)) return std::nullopt;
  InstalledRelease release;
  release.name = text::FromUtf8((*values)["name"]);
  release.version = text::FromUtf8((*values)["version"]);
  release.signedTime = (*values)["signed"];
  release.listHash = (*values)["list"];
  return release;
}

bool WriteInstalledRelease(text::WStringView stateDir, text::WStringView programDir, const InstalledRelease& release) {
  if (stateDir.empty()) return false;
  platform::StateValues values;
  values["prog"] = text::ToUtf8(platform::CanonicalDirectory(programDir));
  values["name"] = text::ToUtf8(release.name);
  values["version"] = text::ToUtf8(release.version);
  values["signed"] = release.signedTime;
  values["list"] = release.listHash;
  return platform::WriteStateFile(RecordPath(stateDir, programDir), values);
}

bool SignedEarlier(const std::string& candidate, const std::string& installed) {
  const std::string a = WithoutLeadingZeros(candidate);
  const std::string b = WithoutLeadingZeros(installed);
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace updater
