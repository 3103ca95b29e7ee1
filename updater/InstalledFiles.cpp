#include "updater/InstalledFiles.h"

#include <charconv>
#include <string>

#include "contract/UpdaterState.h"
#include "platform/AtomicFile.h"
#include "platform/FileRead.h"
#include "platform/Paths.h"

namespace updater {
namespace {

constexpr const char* kKind = "files";
constexpr const char* kProgKey = "prog=";

std::string RecordPath(text::WStringView stateDir, text::WStringView programDir) {
  return text::ToUtf8(contract::StateFileFor(stateDir, kKind, programDir));
}

bool OneLine(const std::string& s) { return s.find_first_of("\t\r\n") == std::string::npos; }

// "<size>\t<crc>\t<path>"
std::optional<InstalledFile> ParseLine(const std::string& line) {
  const size_t tab1 = line.find('\t');
  const size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
  if (tab2 == std::string::npos) return std::nullopt;
  InstalledFile file;
  const char* end = line.data() + tab1;
  const auto [stop, ec] = std::from_chars(line.data(), end, file.size);
  if (ec != std::errc() || stop != end || file.size < 0) return std::nullopt;
  file.crc = text::FromUtf8(line.substr(tab1 + 1, tab2 - tab1 - 1));
  file.path = text::FromUtf8(line.substr(tab2 + 1));
  if (file.crc.empty() || file.path.empty()) return std::nullopt;
  return file;
}

}  // namespace

std::optional<std::vector<InstalledFile>> ReadInstalledFiles(text::WStringView stateDir, text::WStringView programDir) {
  if (stateDir.empty()) return std::nullopt;
  const std::optional<std::string> read = platform::ReadRegularFile(RecordPath(stateDir, programDir), kInstalledFilesLimit);
  if (!read) return std::nullopt;
  const std::string& text = *read;
  size_t end = text.find('\n');
  // The first line names the directory: another directory whose name hashes alike has none here.
  const std::string prog = kProgKey + text::ToUtf8(platform::CanonicalDirectory(programDir));
  if (end == std::string::npos || text.compare(0, end, prog) != 0) return std::nullopt;
  std::vector<InstalledFile> files;
  for (size_t start = end + 1; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::optional<InstalledFile> file = ParseLine(text.substr(start, end - start));
    if (!file) return std::nullopt;
    files.push_back(std::move(*file));
  }
  return files;
}

bool WriteInstalledFiles(text::WStringView stateDir, text::WStringView programDir, const std::vector<InstalledFile>& files) {
  if (stateDir.empty()) return false;
  std::string text = kProgKey + text::ToUtf8(platform::CanonicalDirectory(programDir)) + "\n";
  for (const InstalledFile& f : files) {
    const std::string crc = text::ToUtf8(f.crc);
    const std::string path = text::ToUtf8(f.path);
    if (!OneLine(crc) || !OneLine(path) || crc.empty() || path.empty()) return false;
    text += std::to_string(f.size) + "\t" + crc + "\t" + path + "\n";
  }
  return platform::ReplaceFileContent(RecordPath(stateDir, programDir), text, 0600);
}

}  // namespace updater
