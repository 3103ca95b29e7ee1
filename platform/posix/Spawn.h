// Shared posix_spawn plumbing of the process services.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform::detail {

// posix_spawn with an argument vector; an empty workDir keeps the caller's. -1 on failure.
pid_t SpawnProgram(const std::string& path, const std::vector<std::string>& argv,
                   const std::string& workDir, bool newSession);

}  // namespace platform::detail
