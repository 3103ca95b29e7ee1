// The update server's tree of one program, as the publisher finds it on disk:
//   <root>/<corp>/<name>/UpdateVersion.xml     the announced version
//   <root>/<corp>/<name>/<key>/...             one folder per published version
// A folder's name has lost the version's dots; the version it holds is the one its list names.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "text/Text.h"

namespace updater {
class UpdateList;
}

namespace publisher {

// <root>/<corp>/<name>, brand word and name in lower case as clients ask for them.
std::filesystem::path ProductDir(text::WStringView root, text::WStringView corp, text::WStringView name);

struct PublishedVersion {
  text::WString folder;   // the folder's name: the key clients ask for
  text::WString version;  // as the folder's list names it; empty when there is no readable list
};

// Every version folder of the program. Names starting with "." are the publisher's own work
// folders, never a version.
std::vector<PublishedVersion> FindPublishedVersions(const std::filesystem::path& product);

// The highest version any readable list names, in the text order clients use; none when there
// is none.
std::optional<text::WString> HighestVersion(const std::vector<PublishedVersion>& published);

// Reads the zipped list of the folder for `key` into `list`; false when it is missing or
// cannot be read as a list.
bool ReadFolderList(const std::filesystem::path& folder, text::WStringView key, updater::UpdateList& list);

// None when the folder holds the list of `name` `version` and every archive it names, each with
// its listed length; else what is missing.
std::optional<text::WString> IncompleteProblem(const std::filesystem::path& folder, text::WStringView name,
                                               text::WStringView version);

}  // namespace publisher
