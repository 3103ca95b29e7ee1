// What the lobby and the updater agree on about a run of the updater: how it ended, and where
// the updater keeps its state (the record of each program directory's installed release and
// the marker of a self-update that did not complete).
#pragma once

#include <string>

#include "text/Text.h"

namespace platform {

// The updater's exit codes.
enum class UpdaterExit : int {
  kInstalled = 0,    // the release is installed
  kFailed = 1,       // the run failed (network, disk, a closed window); nothing changed
  kNothingToDo = 2,  // every file already matches the release
  kRefused = 3,      // the release is not authenticated by a trusted key, or is older
  kNotRun = 4,       // another updater runs, or the command line lacks what a run needs
};

// The updater's state folder: "Zemba/Vendrel" in the per-user data root, outside every program
// directory. Created when missing; empty when there is no data root.
text::WString UpdaterStateDir();

// The file of one kind ("installed", "selfupdate") that the state folder keeps for a program
// directory. Every spelling of the directory (a trailing separator, a link to it, "..") gives
// the same file; the file also names the directory, and readers compare it.
text::WString StateFileFor(text::WStringView stateDir, const char* kind, text::WStringView programDir);

// The absolute, resolved form of a program directory, as state files record it.
text::WString CanonicalDirectory(text::WStringView dir);

}  // namespace platform
