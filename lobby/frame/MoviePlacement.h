// Where the movie may live: in a folder below the program directory. The page reads every file
// of its folder, so a page at the program directory's root (or outside it) would open the
// program's own files, its configuration among them, to the page.
#pragma once

#include "text/Text.h"

namespace lobby {

// True when the folder of `moviePath`, with every link and ".." resolved, is a folder strictly
// below `programDir` (resolved the same way). A "\" counts as "/".
bool MovieFolderIsBelow(const text::WString& programDir, const text::WString& moviePath);

}  // namespace lobby
