// Where a release's files are below a program's directory on the update server: the version
// key's folder holds the zipped list and one archive per listed file, each named with the key.
#pragma once

#include "text/Text.h"

namespace updater {

// "<serverUrl>/<key>/UpdateList.xml.<key>"; its signature is this address with ".sig".
text::WString ListUrl(text::WStringView serverUrl, text::WStringView versionKey);

// "<serverUrl>/<key>/<path>/<name>.<key>", path and name escaped level by level ("\" in the
// list's path becomes "/"); no path level for a file at the top.
text::WString ArchiveUrl(text::WStringView serverUrl, text::WStringView versionKey, text::WStringView filePath,
                         text::WStringView fileName);

}  // namespace updater
