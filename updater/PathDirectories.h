// Builds the directory chain for a file's relative path in the list's form.
#pragma once

#include "text/Text.h"

namespace updater {

// Creates base, then base/a, base/a/b for the relative path "a\b" ("\" separates levels, as in
// the list). Existing directories are fine and failures are ignored: the copy or extraction
// that follows reports them.
void CreatePathDirectories(text::WStringView relativePath, text::WStringView base);

// The same for the download directory, where nothing planted may redirect a write: a level
// that is a symbolic link is removed (the link, never what it points to) and made a real
// directory. False when a level is not a directory afterwards.
bool CreateRealDirectories(text::WStringView relativePath, text::WStringView base);

}  // namespace updater
