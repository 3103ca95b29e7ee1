#include "platform/posix/Spawn.h"

#include <signal.h>
#include <spawn.h>

extern char** environ;

namespace platform::detail {

namespace {

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attr_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
};

}  // namespace

pid_t SpawnProgram(const std::string& path, const std::vector<std::string>& argv,
                   const std::string& workDir, bool newSession) {
  SpawnSetup setup;
  if (!workDir.empty() && posix_spawn_file_actions_addchdir_np(&setup.actions_, workDir.c_str()) != 0) {
    return -1;
  }
  // Like a process created without inherited handles: the child gets standard input, output
  // and error only (otherwise it could keep the lobby's locks or pipes alive after the lobby).
  if (posix_spawn_file_actions_addclosefrom_np(&setup.actions_, 3) != 0) return -1;
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (newSession) flags |= POSIX_SPAWN_SETSID;
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&setup.attr_, &none);
  posix_spawnattr_setsigdefault(&setup.attr_, &all);
  posix_spawnattr_setflags(&setup.attr_, flags);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), &setup.actions_, &setup.attr_, args.data(), environ) != 0) return -1;
  return pid;
}

}  // namespace platform::detail
