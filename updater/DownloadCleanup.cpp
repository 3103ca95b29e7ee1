#include "updater/DownloadCleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <utility>

namespace updater {
namespace {

class Dir {
 public:
  explicit Dir(int fd) : fd_(fd) {}
  ~Dir() {
    if (fd_ >= 0) close(fd_);
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  Dir(Dir&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Dir& operator=(Dir&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

int OpenLevel(int at, const std::string& name) {
  return openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The directory `relative` ("a/b") below root, reached level by level without following links.
Dir OpenBelow(int root, const std::string& relative) {
  Dir current(fcntl(root, F_DUPFD_CLOEXEC, 0));
  for (size_t start = 0; !relative.empty() && start <= relative.size() && current.get() >= 0;) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    current = Dir(OpenLevel(current.get(), relative.substr(start, end - start)));
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
  while (downloadDir.size() > 1 && downloadDir.back() == '/') downloadDir.pop_back();
  Dir root(open(downloadDir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (root.get() < 0) return;
  for (const OwnedName& n : names) {
    Dir dir = OpenBelow(root.get(), n.directory);
    if (dir.get() >= 0) unlinkat(dir.get(), n.name.c_str(), 0);
  }
  for (const std::string& relative : DirectoriesDeepestFirst(names)) {
    const size_t slash = relative.rfind('/');
    Dir parent = OpenBelow(root.get(), slash == std::string::npos ? std::string() : relative.substr(0, slash));
    // Removing a directory never follows a link: a link there makes this fail, as it should.
    if (parent.get() >= 0) unlinkat(parent.get(), relative.substr(slash + 1).c_str(), AT_REMOVEDIR);
  }
  rmdir(downloadDir.c_str());  // only when empty; a link is not a directory to rmdir
}

}  // namespace updater
