#include "platform/FileRead.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes) {
  HANDLE file = CreateFileW(detail::Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> out;
  LARGE_INTEGER size;
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
      static_cast<unsigned long long>(size.QuadPart) <= maxBytes) {
    std::string bytes(static_cast<size_t>(size.QuadPart) + 1, '\0');
    DWORD got = 0;
    if (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got <= maxBytes) {
      bytes.resize(got);
      out = std::move(bytes);
    }
  }
  CloseHandle(file);
  return out;
}

}  // namespace platform
