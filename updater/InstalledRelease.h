// The record of the signed release installed in a program directory, kept in the updater's
// state folder (outside the program directory): a later release signed earlier than it is a
// rollback and is refused. The files that release installed are kept in a record of their own
// (InstalledFiles.h), which unsigned releases have too.
#pragma once

#include <optional>
#include <string>

#include "text/Text.h"

namespace updater {

struct InstalledRelease {
  text::WString name;
  text::WString version;
  std::string signedTime;  // decimal seconds, as the signed list gives it
  std::string listHash;    // hash of the signed list archive
};

std::optional<InstalledRelease> ReadInstalledRelease(text::WStringView stateDir, text::WStringView programDir);
bool WriteInstalledRelease(text::WStringView stateDir, text::WStringView programDir, const InstalledRelease& release);

// Compares two decimal times of any length as numbers: true when `candidate` is earlier.
bool SignedEarlier(const std::string& candidate, const std::string& installed);

}  // namespace updater
