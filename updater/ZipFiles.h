// Opening zip archives by UTF-8 path. minizip's own file functions take narrow names, which on
// Windows are in the ANSI code page: there the archives are opened through the wide calls.
#pragma once

#include <unzip.h>
#include <zip.h>

#include <string>

namespace updater {

// An archive opened for reading; null when it cannot be opened.
unzFile OpenZipForReading(const std::string& path);

// A new archive (an existing file at the name is replaced); null when it cannot be created.
zipFile CreateZip(const std::string& path);

}  // namespace updater
