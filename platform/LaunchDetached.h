// Starting a program that lives on its own: new session, never waited for by the starter.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts `path` with `argv` (argv[0] included) in the caller's working directory. True when
// the program was started. The child is reaped in the background so it leaves no zombie.
bool LaunchDetached(const std::string& path, const std::vector<std::string>& argv);

}  // namespace platform
