// Where things live on this machine.
#pragma once

#include <string>

#include "text/Text.h"

namespace platform {

// Executables carry no suffix on Linux and ".exe" on Windows; the one place that knows it.
#if defined(_WIN32)
inline constexpr const char* kExeSuffix = ".exe";
#else
inline constexpr const char* kExeSuffix = "";
#endif

// Directory of the running executable, without a trailing separator.
text::WString ExecutableDir();

// Per-user staging root for re-downloadable files: a folder of our own, named `corp`, in the
// cache directory ($XDG_CACHE_HOME or ~/.cache; the documents folder on Windows), or in the
// temporary directory when there is none. Always absolute; created if missing.
text::WString StagingRoot(const std::string& corp);

// True for a name that stays one level below a directory: not empty, not "." or "..", no
// separator ("/" or "\"), no control character.
bool IsPlainName(text::WStringView name);

// True for a path that names its place without a working directory: "/..." on Linux; "X:\...",
// "X:/..." or a "\\server" name on Windows.
bool IsAbsolutePath(text::WStringView path);

// Per-user configuration root ($XDG_CONFIG_HOME or ~/.config; the application data folder on
// Windows); empty when unknown.
text::WString ConfigRoot();

// Per-user data root for state a program keeps ($XDG_DATA_HOME or ~/.local/share; the local
// application data folder on Windows); empty when unknown.
text::WString DataRoot();

// The absolute, resolved form of a directory (links followed, no trailing separator); the
// text as given when it cannot be resolved.
text::WString CanonicalDirectory(text::WStringView dir);

// Creates one directory level; true when it exists afterwards.
bool CreateDirectory(text::WStringView path);

// True when the path names an existing directory.
bool IsDirectory(text::WStringView path);

}  // namespace platform
