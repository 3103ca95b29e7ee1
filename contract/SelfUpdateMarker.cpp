#include "contract/SelfUpdateMarker.h"

#include <charconv>
#include <string>

#include "contract/UpdaterState.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/StateFile.h"

namespace contract {
namespace {

constexpr const char* kKind = "selfupdate";

bool ParseNumber(const std::string& text, int64_t& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string MarkerPath(text::WStringView stateDir, text::WStringView programDir) {
  return text::ToUtf8(StateFileFor(stateDir, kKind, programDir));
}

}  // namespace

bool WriteSelfUpdateMarker(text::WStringView stateDir, const SelfUpdateMarker& marker) {
  if (stateDir.empty()) return false;
  platform::StateValues values;
  values["prog"] = text::ToUtf8(platform::CanonicalDirectory(marker.programDir));
  values["version"] = text::ToUtf8(marker.version);
  values["time"] = std::to_string(marker.time);
  values["outcome"] = std::to_string(static_cast<int>(marker.outcome));
  return platform::WriteStateFile(MarkerPath(stateDir, marker.programDir), values);
}

std::optional<SelfUpdateMarker> ReadSelfUpdateMarker(text::WStringView stateDir, text::WStringView programDir) {
  if (stateDir.empty()) return std::nullopt;
  std::optional<platform::StateValues> values = platform::ReadStateFile(MarkerPath(stateDir, programDir));
  if (!values) return std::nullopt;
  SelfUpdateMarker marker;
  marker.programDir = text::FromUtf8((*values)["prog"]);
  if (marker.programDir != platform::CanonicalDirectory(programDir)) return std::nullopt;
  marker.version = text::FromUtf8((*values)["version"]);
  int64_t outcome = 0;
  if (!ParseNumber((*values)["time"], marker.time) || !ParseNumber((*values)["outcome"], outcome)) return std::nullopt;
  marker.outcome = static_cast<UpdaterExit>(outcome);
  return marker;
}

void RemoveSelfUpdateMarker(text::WStringView stateDir, text::WStringView programDir) {
  if (!stateDir.empty()) platform::RemoveFile(MarkerPath(stateDir, programDir));
}

}  // namespace contract
