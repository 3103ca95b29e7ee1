#include "platform/LaunchDetached.h"

#include <sys/wait.h>

#include <thread>

#include "platform/posix/Spawn.h"

namespace platform {

bool LaunchDetached(const std::string& path, const std::vector<std::string>& argv) {
  pid_t pid = detail::SpawnProgram(path, argv, std::string(), true);
  if (pid < 0) return false;
  // The starter never waits for it; a background reaper only keeps the ended child from
  // lingering as a zombie.
  std::thread([pid] {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace platform
