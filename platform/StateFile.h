// Small "key=value" text files (UTF-8, one pair a line) that the updater keeps in its state
// folder and the lobby reads. Written atomically; read up to a fixed size.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace platform {

inline constexpr size_t kStateFileLimit = 16 * 1024;

using StateValues = std::map<std::string, std::string>;

// None when the file is missing, unreadable, longer than the limit, or has a line without "=".
std::optional<StateValues> ReadStateFile(const std::string& path);
// Keys and values must not hold line ends; false when they do or the file cannot be written.
bool WriteStateFile(const std::string& path, const StateValues& values);

}  // namespace platform
