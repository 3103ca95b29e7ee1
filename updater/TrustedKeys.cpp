#include "updater/TrustedKeys.h"

#include <cstdio>

#include "platform/FileSystem.h"

namespace updater {
namespace {

UpdateTrust Broken() {
  UpdateTrust trust;
  trust.mode = UpdateTrust::Mode::kBroken;
  return trust;
}

bool ParsePrograms(std::string_view list, std::vector<text::WString>& out) {
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    // A name must be plain text: no spaces, nothing empty, valid UTF-8 that round-trips.
    if (name.empty() || name.find_first_of(" \t") != std::string_view::npos) return false;
    const text::WString wide = text::FromUtf8(name);
    if (text::ToUtf8(wide) != name) return false;
    out.push_back(wide);
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

bool ParseKeyLine(std::string_view line, TrustedKey& key) {
  const size_t space = line.find(' ');
  if (!FromBase64(line.substr(0, space), key.key.data(), key.key.size())) return false;
  return space == std::string_view::npos || ParsePrograms(line.substr(space + 1), key.programs);
}

}  // namespace

bool TrustedKey::MaySign(text::WStringView program) const {
  if (programs.empty()) return true;
  for (const text::WString& name : programs) {
    if (name == program) return true;
  }
  return false;
}

UpdateTrust ParseTrustedKeys(std::string_view text) {
  if (text.size() > kKeyFileLimit) return Broken();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  UpdateTrust trust;
  trust.mode = UpdateTrust::Mode::kKeys;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    TrustedKey key;
    if (!ParseKeyLine(line, key)) return Broken();
    trust.keys.push_back(std::move(key));
  }
  return trust.keys.empty() ? Broken() : trust;
}

UpdateTrust LoadTrustedKeys(const std::string& keyFile) {
  if (platform::KindOf(keyFile) == platform::PathKind::kMissing) return UpdateTrust{};
  platform::StreamPtr file = platform::OpenForReading(keyFile);
  if (!file) return Broken();
  // One byte more than allowed tells an over-long file from one of exactly the limit.
  std::string text(kKeyFileLimit + 1, '\0');
  const size_t got = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get())) return Broken();
  text.resize(got);
  return ParseTrustedKeys(text);
}

bool CanSignFor(const UpdateTrust& trust, text::WStringView program) {
  if (trust.mode != UpdateTrust::Mode::kKeys) return false;
  for (const TrustedKey& key : trust.keys) {
    if (key.MaySign(program)) return true;
  }
  return false;
}

}  // namespace updater
