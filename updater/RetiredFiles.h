// Files an update leaves behind: those the installed release's list named and the new list
// does not. Only a file still exactly as the updater installed it goes; whatever the player
// made or changed stays.
#pragma once

#include <vector>

#include "text/Text.h"
#include "updater/InstalledFiles.h"

namespace updater {

// The files of `installed` to consider for removal: not named by `release` (as the file system
// compares names, ListPaths.h), not one the updater itself relies on (Update.cfg, its own
// program, UpdateKeys.pub) and not a path that could lead outside the program directory. The
// record they come from is treated as untrusted.
std::vector<InstalledFile> RetiredCandidates(const std::vector<InstalledFile>& installed,
                                             const std::vector<InstalledFile>& release);

struct Retirement {
  std::vector<text::WString> removed;  // in the list's form
  // Still exactly as installed but not removable now (a running program holds it, on Windows):
  // kept in the files record so that the next update tries again.
  std::vector<InstalledFile> left;
};

// Removes from `programDir` each candidate that is a regular file (no link, reached through no
// link) of the recorded size and CRC and that is not one of the release's files under another
// spelling. Directories stay, emptied or not: nothing tells which ones the updater made.
Retirement RemoveRetiredFiles(text::WStringView programDir, const std::vector<InstalledFile>& installed,
                              const std::vector<InstalledFile>& release);

}  // namespace updater
