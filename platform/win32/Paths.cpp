#include "platform/Paths.h"

#include <windows.h>
#include <shlobj.h>

// windows.h renames CreateDirectory; ours is the one declared in Paths.h.
#undef CreateDirectory

#include "platform/win32/Wide.h"

namespace platform {

namespace {

text::WString ShellFolder(int folder) {
  wchar_t buf[MAX_PATH];
  if (SHGetFolderPathW(nullptr, folder | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buf) != S_OK) {
    return {};
  }
  return detail::FromWide(buf, wcslen(buf));
}

}  // namespace

text::WString ExecutableDir() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return {};
  std::wstring path(buf, n);
  size_t slash = path.find_last_of(L"\\/");
  return detail::FromWide(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

// Downloads are staged under the user's documents folder, as the updater always did there.
text::WString StagingRoot(const std::string& corp) {
  text::WString base = ShellFolder(CSIDL_PERSONAL);
  if (base.empty()) {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    base = detail::FromWide(buf, n);
    while (!base.empty() && (base.back() == u'\\' || base.back() == u'/')) base.pop_back();
  }
  text::WString root = base + u"\\" + text::FromUtf8(corp);
  CreateDirectory(root);
  return root;
}

text::WString ConfigRoot() { return ShellFolder(CSIDL_APPDATA); }

text::WString DataRoot() { return ShellFolder(CSIDL_LOCAL_APPDATA); }

bool CreateDirectory(text::WStringView path) {
  if (CreateDirectoryW(detail::Wide(path).c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(path);
}

bool IsDirectory(text::WStringView path) {
  DWORD attributes = GetFileAttributesW(detail::Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace platform
