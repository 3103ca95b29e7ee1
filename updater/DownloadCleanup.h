// Removal of what the updater put into its download directory after a good install. The
// directory may be one the user also keeps files in, or reach elsewhere through links: only
// the updater's own names are removed, and no link is ever followed.
#pragma once

#include <string>
#include <vector>

namespace updater {

// One name the updater made: a directory below the download directory ("a/b", or empty) and a
// file name in it.
struct OwnedName {
  std::string directory;
  std::string name;
};

// Removes each named file (a link is removed as a link), then each directory of the names that
// is empty afterwards (deepest first), then the download directory itself when it is empty.
// A level that is a link is not entered. The download directory given as a link is left alone.
void RemoveOwnedNames(const std::string& downloadDir, const std::vector<OwnedName>& names);

}  // namespace updater
