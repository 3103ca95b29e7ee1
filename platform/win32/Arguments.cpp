#include "platform/Arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Wide.h"

namespace platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(detail::Utf8(std::wstring(wide[i])));
  LocalFree(wide);
  return out;
}

}  // namespace platform
