// A GUI-subsystem program: no console window opens, and the exit code still reaches whoever
// waits for the process.
#include "updater/app/win32/Windows.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "updater/app/VendrelApp.h"

namespace {

// The arguments as the runtime splits the command line (the lobby quotes them that way),
// each in UTF-8.
std::vector<std::string> Utf8Arguments(const wchar_t* commandLine) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(commandLine, &count);
  if (!wide) return args;
  for (int i = 0; i < count; ++i) {
    const std::wstring arg(wide[i]);
    args.push_back(text::ToUtf8(text::WString(arg.begin(), arg.end())));
  }
  LocalFree(wide);
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const wchar_t* commandLine = GetCommandLineW();
  std::vector<std::string> args = Utf8Arguments(commandLine);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::wstring raw(commandLine);
  return vendrel::RunVendrel(text::WString(raw.begin(), raw.end()),
                             static_cast<int>(args.size()), argv.data());
}
