// Starting a program that outlives its starter: own session, standard streams on /dev/null,
// never waited for.
#pragma once

#include <string>

namespace platform {

// Starts the executable at `path` with no arguments. True when the process was created.
bool SpawnDetached(const std::string& path);

}  // namespace platform
