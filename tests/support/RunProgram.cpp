#include "tests/support/RunProgram.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/CommandLine.h"
#include "platform/win32/Wide.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testsupport {

#if defined(_WIN32)
namespace {

HANDLE InheritableOutput(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(platform::detail::Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A start that failed says why in the error file, where a test's message shows it.
void NoteFailedStart(const std::string& errPath, const char* call, DWORD error) {
  HANDLE err = InheritableOutput(errPath);
  if (err == INVALID_HANDLE_VALUE) return;
  const std::string note = std::string("RunProgram: ") + call + " failed with error " + std::to_string(error) + "\n";
  DWORD written = 0;
  WriteFile(err, note.data(), static_cast<DWORD>(note.size()), &written, nullptr);
  CloseHandle(err);
}

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::wstring line = platform::detail::JoinCommandLine(argv);
  HANDLE out = InheritableOutput(outPath), err = InheritableOutput(errPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const BOOL started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                       CreateProcessW(platform::detail::Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  const DWORD startError = started ? 0 : GetLastError();
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) {
    NoteFailedStart(errPath, "CreateProcessW", startError);
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &code)) {
    code = static_cast<DWORD>(-1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
#else
int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath) {
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) return WEXITSTATUS(status);
  return -1;
}
#endif

}  // namespace testsupport
