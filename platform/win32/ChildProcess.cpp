#include "platform/ChildProcess.h"

#include <windows.h>

#include "platform/win32/CommandLine.h"
#include "platform/win32/Wide.h"

namespace platform {

struct ChildProcess::Handle {
  HANDLE process;
  bool ended = false;
  std::optional<int> exitCode;

  ~Handle() { CloseHandle(process); }
};

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
ChildProcess::~ChildProcess() = default;
ChildProcess::ChildProcess(ChildProcess&& other) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept = default;

std::optional<ChildProcess> ChildProcess::Start(const std::string& path,
                                                const std::vector<std::string>& argv,
                                                const std::string& workDir, bool detached) {
  std::wstring line = detail::JoinCommandLine(argv);
  std::wstring dir = detail::Wide(workDir);
  // Shown hidden: a game's first default show leaves its window hidden until it shows it.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  // No handles are inherited: a game gets nothing of the lobby's.
  DWORD flags = detached ? CREATE_NEW_PROCESS_GROUP | DETACHED_PROCESS : 0;
  if (!CreateProcessW(detail::Wide(path).c_str(), line.data(), nullptr, nullptr, FALSE, flags,
                      nullptr, dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  return ChildProcess(std::unique_ptr<Handle>(new Handle{info.hProcess, false, std::nullopt}));
}

bool ChildProcess::HasEnded() {
  if (!handle_ || handle_->ended) return true;
  // A failed wait means the handle is no good: the process is as good as gone.
  const DWORD wait = WaitForSingleObject(handle_->process, 0);
  if (wait == WAIT_TIMEOUT) return false;
  handle_->ended = true;
  DWORD code = 0;
  if (wait == WAIT_OBJECT_0 && GetExitCodeProcess(handle_->process, &code)) {
    handle_->exitCode = static_cast<int>(code);
  }
  return true;
}

std::optional<int> ChildProcess::ExitCode() const { return handle_ ? handle_->exitCode : std::nullopt; }

}  // namespace platform
