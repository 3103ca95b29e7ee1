// The files of the release installed in a program directory, as its list named them, kept in
// the updater's state folder beside the installed-release record. The next update removes the
// ones its own list no longer names (RetiredFiles.h). Kept for signed and unsigned releases:
// it decides no trust, only what may be cleaned up.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "text/Text.h"

namespace updater {

struct InstalledFile {
  text::WString path;  // in the list's form: "dir\name", or "name"
  int32_t size = 0;    // FileLen
  text::WString crc;   // FileCrc, as the list writes it
  bool operator==(const InstalledFile&) const = default;
};

// A record longer than this is not read (a list of 100,000 files needs a few megabytes).
inline constexpr size_t kInstalledFilesLimit = 64u << 20;

// None without a record for this directory (an updater from before this record kept none), or
// when it cannot be read.
std::optional<std::vector<InstalledFile>> ReadInstalledFiles(text::WStringView stateDir, text::WStringView programDir);
// Replaces the record in one step; false when a path cannot be kept on one line or the file
// cannot be written.
bool WriteInstalledFiles(text::WStringView stateDir, text::WStringView programDir, const std::vector<InstalledFile>& files);

}  // namespace updater
