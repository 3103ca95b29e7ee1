// Where things live on this machine.
#pragma once

#include <string>

#include "text/Text.h"

namespace platform {

// Executables carry no suffix on Linux; the one place that knows it.
inline constexpr const char* kExeSuffix = "";

// Directory of the running executable, without a trailing separator.
text::WString ExecutableDir();

// Per-user staging root for re-downloadable files ($XDG_CACHE_HOME or ~/.cache), created if
// missing; empty text when no home can be found.
text::WString StagingRoot();

// Per-user configuration root ($XDG_CONFIG_HOME or ~/.config); empty when unknown.
text::WString ConfigRoot();

// Creates one directory level; true when it exists afterwards.
bool CreateDirectory(text::WStringView path);

// True when the path names an existing directory.
bool IsDirectory(text::WStringView path);

}  // namespace platform
