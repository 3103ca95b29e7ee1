#include "platform/DebugLog.h"

#include <cstdio>

namespace platform {

void DebugLine(text::WStringView line) {
  std::string bytes = text::ToUtf8(line);
  bytes.push_back('\n');
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

}  // namespace platform
