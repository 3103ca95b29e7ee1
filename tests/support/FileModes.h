// File mode bits as each system keeps them, for tests of what an install or an unpacking leaves.
#pragma once

#include <string>

namespace testsupport {

// The mode a file given `posixMode` reads back with: Linux keeps the nine permission bits;
// Windows keeps only read-only, which reads back as 0444, anything else as 0644.
constexpr unsigned KeptMode(unsigned posixMode) {
#if defined(_WIN32)
  return (posixMode & 0200) ? 0644u : 0444u;
#else
  return posixMode;
#endif
}

// The permission bits of the regular file at `path` (links followed); 0 when there is none.
unsigned ModeOf(const std::string& path);

}  // namespace testsupport
