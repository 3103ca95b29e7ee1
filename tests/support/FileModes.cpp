#include "tests/support/FileModes.h"

#include "platform/FileSystem.h"

namespace testsupport {

unsigned ModeOf(const std::string& path) {
  platform::FileFacts facts;
  return platform::RegularFileFacts(path, platform::Links::kFollow, facts) ? facts.mode & 0777u : 0u;
}

}  // namespace testsupport
