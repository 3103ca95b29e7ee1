// Where the updater keeps its state, outside every program directory: the record of each
// program directory's installed release and the marker of a self-update that did not complete.
// The lobby reads the marker.
#pragma once

#include "text/Text.h"

namespace contract {

// The updater's state folder: "<corp>/Vendrel" in the per-user data root. Created when missing;
// empty when there is no data root.
text::WString UpdaterStateDir();

// The file of one kind ("installed", "selfupdate") that the state folder keeps for a program
// directory. Every spelling of the directory (a trailing separator, a link to it, "..") gives
// the same file; the file also names the directory, and readers compare it.
text::WString StateFileFor(text::WStringView stateDir, const char* kind, text::WStringView programDir);

}  // namespace contract
