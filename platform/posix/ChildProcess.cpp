#include "platform/ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <utility>

#include "platform/posix/Spawn.h"

namespace platform {

struct ChildProcess::Handle {
  pid_t pid;
  bool ended = false;
  std::optional<int> exitCode;
};

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
ChildProcess::~ChildProcess() = default;
ChildProcess::ChildProcess(ChildProcess&& other) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept = default;

std::optional<ChildProcess> ChildProcess::Start(const std::string& path,
                                                const std::vector<std::string>& argv,
                                                const std::string& workDir, bool detached) {
  pid_t pid = detail::SpawnProgram(path, argv, workDir, detached);
  if (pid < 0) return std::nullopt;
  return ChildProcess(std::unique_ptr<Handle>(new Handle{pid, false, std::nullopt}));
}

bool ChildProcess::HasEnded() {
  if (!handle_ || handle_->ended) return true;
  int status = 0;
  pid_t r = ::waitpid(handle_->pid, &status, WNOHANG);
  // ECHILD means someone else reaped it: it has ended all the same.
  if (r == handle_->pid || r < 0) handle_->ended = true;
  if (r == handle_->pid && WIFEXITED(status)) handle_->exitCode = WEXITSTATUS(status);
  return handle_->ended;
}

std::optional<int> ChildProcess::ExitCode() const { return handle_ ? handle_->exitCode : std::nullopt; }

}  // namespace platform
