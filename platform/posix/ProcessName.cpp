#include "platform/ProcessName.h"

#include <unistd.h>

#include <climits>

#include "platform/Paths.h"

namespace platform {

std::string ExecutableName() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  std::string name = path.substr(path.rfind('/') + 1);
  std::string suffix = kExeSuffix;
  if (!suffix.empty() && name.size() > suffix.size() &&
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
    name.resize(name.size() - suffix.size());
  }
  return name;
}

}  // namespace platform
