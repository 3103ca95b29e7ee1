#include "platform/StateFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileRead.h"

namespace platform {

std::optional<StateValues> ReadStateFile(const std::string& path) {
  const std::optional<std::string> read = ReadRegularFile(path, kStateFileLimit);
  if (!read) return std::nullopt;
  const std::string& text = *read;
  StateValues values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

bool WriteStateFile(const std::string& path, const StateValues& values) {
  std::string text;
  for (const auto& [key, value] : values) {
    if (key.find_first_of("=\r\n") != std::string::npos || value.find_first_of("\r\n") != std::string::npos) {
      return false;
    }
    text += key + "=" + value + "\n";
  }
  return ReplaceFileContent(path, text, 0600);
}

}  // namespace platform
