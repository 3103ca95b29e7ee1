#include "updater/DownloadCleanup.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "platform/FileSystem.h"

namespace updater {
namespace {

using platform::HeldDirectory;

// The directory `relative` ("a/b") below root, reached level by level without following links.
HeldDirectory OpenBelow(const HeldDirectory& root, const std::string& relative) {
  HeldDirectory current = root.Copy();
  for (size_t start = 0; !relative.empty() && start <= relative.size() && current.IsOpen();) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    current = current.Child(relative.substr(start, end - start));
    start = end + 1;
  }
  return current;
}

size_t Depth(const std::string& relative) { return static_cast<size_t>(std::count(relative.begin(), relative.end(), '/')); }

// Every level of each directory, so a chain a/b/c is emptied from c up to a.
std::vector<std::string> DirectoriesDeepestFirst(const std::vector<OwnedName>& names) {
  std::set<std::string> levels;
  for (const OwnedName& n : names) {
    for (size_t end = n.directory.find('/'); ; end = n.directory.find('/', end + 1)) {
      const std::string level = n.directory.substr(0, end);
      if (!level.empty()) levels.insert(level);
      if (end == std::string::npos) break;
    }
  }
  std::vector<std::string> out(levels.begin(), levels.end());
  std::stable_sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  return out;
}

}  // namespace

void RemoveOwnedNames(const std::string& givenDir, const std::vector<OwnedName>& names) {
  // A trailing "/" would make the open follow a link at the last level.
  std::string downloadDir = givenDir;
  while (downloadDir.size() > 1 && std::string_view(platform::kPathSeparators).find(downloadDir.back()) != std::string_view::npos) {
    downloadDir.pop_back();
  }
  {
    HeldDirectory root = HeldDirectory::Open(downloadDir);
    if (!root.IsOpen()) return;
    for (const OwnedName& n : names) OpenBelow(root, n.directory).RemoveName(n.name);
    for (const std::string& relative : DirectoriesDeepestFirst(names)) {
      const size_t slash = relative.rfind('/');
      OpenBelow(root, slash == std::string::npos ? std::string() : relative.substr(0, slash))
          .RemoveEmptyChild(relative.substr(slash + 1));
    }
  }  // released first: a directory still held could not go
  platform::RemoveEmptyDirectory(downloadDir);  // only when empty; a link is not removed
}

}  // namespace updater
