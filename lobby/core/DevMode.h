// The page authors' dev mode: on only when the environment variable QUORVANE_DEV is "1" for
// the lobby's process. A switch in Config.cfg would reach every player with the next lobby
// release; an environment variable stays on the author's machine. Off, none of its tools exist.
#pragma once

#include <cstdlib>
#include <cstring>

namespace lobby {

inline constexpr const char* kDevModeVariable = "QUORVANE_DEV";

// Read each time: cheap, and tests can switch it per process.
inline bool MovieDevMode() {
  const char* value = std::getenv(kDevModeVariable);
  return value && std::strcmp(value, "1") == 0;
}

}  // namespace lobby
