#include "platform/LaunchDetached.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/CommandLine.h"
#include "platform/win32/Wide.h"

namespace platform {

// The shell's "open" verb, as the lobby starts the updater: the program's manifest decides on
// elevation, and the starter never waits.
bool LaunchDetached(const std::string& path, const std::vector<std::string>& argv) {
  std::vector<std::string> args(argv.size() > 1 ? argv.begin() + 1 : argv.end(), argv.end());
  std::wstring parameters = detail::JoinCommandLine(args);
  HINSTANCE result = ShellExecuteW(nullptr, L"open", detail::Wide(path).c_str(),
                                   parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                                   SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace platform
