#include "tests/support/FileLinks.h"

#include "platform/FileSystem.h"

#if defined(_WIN32)
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/win32/Wide.h"
#else
#include <unistd.h>
#endif

namespace testsupport {

#if defined(_WIN32)
namespace {

// Reparse data names its target with "\" only.
std::wstring Wide(const std::string& utf8) {
  std::wstring out = platform::detail::Wide(utf8);
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return out;
}

// The mount-point reparse data of a junction: the "\??\" target, then the name shown.
bool MakeJunction(const std::wstring& target, const std::wstring& link) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  HANDLE dir = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (dir == INVALID_HANDLE_VALUE) {
    RemoveDirectoryW(link.c_str());
    return false;
  }
  const std::wstring substitute = L"\\??\\" + target;
  const USHORT subBytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
  const USHORT printBytes = static_cast<USHORT>(target.size() * sizeof(wchar_t));
  const USHORT pathBytes = subBytes + printBytes + 2 * sizeof(wchar_t);
  std::vector<char> buffer(8 + 8 + pathBytes, 0);
  auto put16 = [&](size_t at, USHORT v) { std::memcpy(&buffer[at], &v, 2); };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(&buffer[0], &tag, 4);
  put16(4, static_cast<USHORT>(8 + pathBytes));
  put16(8, 0);
  put16(10, subBytes);
  put16(12, static_cast<USHORT>(subBytes + sizeof(wchar_t)));
  put16(14, printBytes);
  std::memcpy(&buffer[16], substitute.data(), subBytes);
  std::memcpy(&buffer[16 + subBytes + 2], target.data(), printBytes);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(dir, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  nullptr, 0, &returned, nullptr);
  CloseHandle(dir);
  if (!ok) RemoveDirectoryW(link.c_str());
  return ok;
}

}  // namespace

bool PlantLink(const std::string& target, const std::string& link, bool directory) {
  const std::wstring to = Wide(target), at = Wide(link);
  if (directory && MakeJunction(to, at) && IsLink(link)) return true;
  const DWORD flags = (directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  // Some systems answer success without making the link: only what stands there counts.
  return CreateSymbolicLinkW(at.c_str(), to.c_str(), flags) && IsLink(link);
}
#else
bool PlantLink(const std::string& target, const std::string& link, bool) {
  return symlink(target.c_str(), link.c_str()) == 0;
}
#endif

bool IsLink(const std::string& path) { return platform::KindOf(path) == platform::PathKind::kLink; }

}  // namespace testsupport
