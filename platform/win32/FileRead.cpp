#include "platform/FileRead.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <type_traits>

#include "platform/win32/Wide.h"
#include "text/CodePage.h"

namespace platform {

namespace {

// The errno value the C library gives for a system error of opening or reading a file.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
      return ENOMEM;
    default:
      return EINVAL;
  }
}

// Windows refuses to open a directory as "access denied"; say what it is, as Linux does.
int OpenError(const std::wstring& path) {
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool directory = attributes != INVALID_FILE_ATTRIBUTES &&
                         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return error == ERROR_ACCESS_DENIED && directory ? EISDIR : ErrnoOf(error);
}

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

std::optional<std::string> Failed(int* error, int code) {
  if (error != nullptr) *error = code;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes, int* error) {
  const std::wstring wide = detail::Wide(path);
  HANDLE opened = CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return Failed(error, OpenError(wide));
  const FileHandle file(opened);
  // A pipe or a device has no size to read up to, and a pipe would block.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return Failed(error, EINVAL);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return Failed(error, ErrnoOf(GetLastError()));
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return Failed(error, EFBIG);
  // One byte more than the size seen: a file that grew meanwhile is noticed.
  std::string bytes(static_cast<size_t>(size.QuadPart) + 1, '\0');
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
    return Failed(error, ErrnoOf(GetLastError()));
  }
  if (got > maxBytes) return Failed(error, EFBIG);
  bytes.resize(got);
  return bytes;
}

// The runtime's message is in the ANSI code page.
std::string ErrorText(int error) {
  char buffer[256];
  if (strerror_s(buffer, sizeof buffer, error) != 0) buffer[0] = '\0';
  return text::ToUtf8(text::DecodeAnsi(buffer).value_or(text::WString()));
}

}  // namespace platform
