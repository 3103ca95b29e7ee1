// Builds the directory chain for a file's relative path in the list's form.
#pragma once

#include "text/Text.h"

namespace updater {

// Creates base, then base/a, base/a/b for the relative path "a\b" ("\" separates levels, as in
// the list). Existing directories are fine and failures are ignored: the copy or extraction
// that follows reports them. Always true.
bool CreatePathDirectories(text::WStringView relativePath, text::WStringView base);

}  // namespace updater
