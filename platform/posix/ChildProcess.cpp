#include "platform/ChildProcess.h"

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

#include "platform/posix/Spawn.h"

namespace platform {

std::optional<ChildProcess> ChildProcess::Start(const std::string& path,
                                                const std::vector<std::string>& argv,
                                                const std::string& workDir, bool detached) {
  pid_t pid = detail::SpawnProgram(path, argv, workDir, detached);
  if (pid < 0) return std::nullopt;
  int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  return ChildProcess(pid, pidfd);
}

ChildProcess::~ChildProcess() {
  if (pidfd_ >= 0) ::close(pidfd_);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::exchange(other.pidfd_, -1)),
      ended_(std::exchange(other.ended_, true)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (pidfd_ >= 0) ::close(pidfd_);
    pid_ = std::exchange(other.pid_, -1);
    pidfd_ = std::exchange(other.pidfd_, -1);
    ended_ = std::exchange(other.ended_, true);
  }
  return *this;
}

bool ChildProcess::HasEnded() {
  if (ended_ || pid_ < 0) return true;
  int status = 0;
  pid_t r = ::waitpid(pid_, &status, WNOHANG);
  // ECHILD means someone else reaped it: it has ended all the same.
  if (r == pid_ || r < 0) ended_ = true;
  return ended_;
}

}  // namespace platform
