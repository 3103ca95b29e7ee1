// A started program that the starter watches until it ends (a game run by the lobby).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
 public:
  // Starts `path` with `argv` (argv[0] included, each value its own argument) in `workDir`
  // (empty: the caller's). A detached child runs in a session of its own and is never waited
  // for by the starter, but can still be watched. Nothing when the program cannot be started.
  static std::optional<ChildProcess> Start(const std::string& path,
                                           const std::vector<std::string>& argv,
                                           const std::string& workDir, bool detached = false);

  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Non-blocking: true once the process has ended (it is then reaped).
  bool HasEnded();
  // The code the process ended with, once HasEnded has seen it end by itself; nothing while it
  // runs, when a signal ended it, or when something else collected its end.
  std::optional<int> ExitCode() const;

  // The backend's hold on the process: its pid, which names no other process until we reap it,
  // or its process handle.
  struct Handle;

 private:
  explicit ChildProcess(std::unique_ptr<Handle> handle);

  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
