#include "platform/ProcessName.h"

#include <windows.h>

#include "platform/Paths.h"
#include "platform/win32/Wide.h"

namespace platform {

std::string ExecutableName() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return {};
  std::wstring path(buf, n);
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  std::wstring suffix = detail::Wide(std::string(kExeSuffix));
  if (name.size() > suffix.size() &&
      _wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0) {
    name.resize(name.size() - suffix.size());
  }
  return detail::Utf8(name);
}

}  // namespace platform
