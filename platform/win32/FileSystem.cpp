#include "platform/FileSystem.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

using detail::Wide;

constexpr int64_t kUnixEpochIn100ns = 116444736000000000LL;  // 1970-01-01 as a FILETIME

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsRealDirectory(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

LARGE_INTEGER FileTimeOf(int64_t unixSeconds) {
  LARGE_INTEGER t;
  t.QuadPart = unixSeconds * 10000000LL + kUnixEpochIn100ns;
  return t;
}

int64_t UnixNs(const FILETIME& t) {
  const int64_t ticks = static_cast<int64_t>(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime);
  return (ticks - kUnixEpochIn100ns) * 100;
}

// Closes a handle on every path out.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Closes the handle held so far (false when that close fails) and takes `next`.
  bool Reset(HANDLE next = INVALID_HANDLE_VALUE) {
    HANDLE h = h_;
    h_ = next;
    return h == INVALID_HANDLE_VALUE || h == nullptr || CloseHandle(h);
  }

 private:
  HANDLE h_;
};

bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

// A read-only file is removed as unlinking does on Linux, where the file's own permissions
// play no part: through one handle the attribute is cleared, the name marked for deletion, and
// the attribute put back, so another hard link of the same file stays read-only.
bool RemoveReadOnlyFile(const std::wstring& path, DWORD attributes) {
  Handle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.ok() || !SetAttributes(file.get(), attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  FILE_DISPOSITION_INFO disposition{TRUE};
  const bool removed = SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
  SetAttributes(file.get(), attributes);
  return removed && file.Reset();
}

// A link (a symbolic link to a directory, a junction) is removed as a name: the link goes, what
// it leads to stays.
bool RemoveNameAt(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY) return RemoveReadOnlyFile(path, attributes);
  return DeleteFileW(path.c_str());
}

bool RemoveEmpty(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return IsRealDirectory(attributes) && RemoveDirectoryW(path.c_str());
}

}  // namespace

std::filesystem::path FsPath(const std::string& utf8) { return std::filesystem::path(Wide(utf8)); }

std::string Utf8Path(const std::filesystem::path& path) { return detail::Utf8(path.native()); }

std::string CurrentDirectoryPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n > buffer.size()) {
    buffer.resize(n);
    n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (n == 0 || n > buffer.size()) return {};
  buffer.resize(n);
  return detail::Utf8(buffer);
}

PathKind KindOf(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::kOther;
  return PathKind::kFile;
}

bool RemoveFile(const std::string& path) { return RemoveNameAt(Wide(path)); }

bool RemoveEmptyDirectory(const std::string& path) { return RemoveEmpty(Wide(path)); }

// A read-only target is replaced too, as rename does on Linux.
bool RenameReplacing(const std::string& from, const std::string& to) {
  const std::wstring source = Wide(from), target = Wide(to);
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return false;
  }
  SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
  SetFileAttributesW(target.c_str(), attributes);
  return false;
}

bool MakeRealDirectory(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (IsLink(GetFileAttributesW(wide.c_str()))) RemoveNameAt(wide);
  CreateDirectoryW(wide.c_str(), nullptr);
  return IsRealDirectory(GetFileAttributesW(wide.c_str()));
}

bool SetFileTimes(const std::string& path, int64_t accessed, int64_t modified) {
  Handle file(CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.ok()) return false;
  const LARGE_INTEGER a = FileTimeOf(accessed), m = FileTimeOf(modified);
  const FILETIME access{a.LowPart, static_cast<DWORD>(a.HighPart)};
  const FILETIME write{m.LowPart, static_cast<DWORD>(m.HighPart)};
  return SetFileTime(file.get(), nullptr, &access, &write);
}

bool RegularFileFacts(const std::string& path, Links links, FileFacts& out) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (links == Links::kNoFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  Handle file(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, flags,
                          nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.ok() || !GetFileInformationByHandle(file.get(), &info)) return false;
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) {
    return false;
  }
  out = FileFacts{info.dwVolumeSerialNumber, uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
                  uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow, UnixNs(info.ftLastWriteTime),
                  (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0644u};
  return true;
}

// --- NewFile ---------------------------------------------------------------------------------

struct NewFile::Impl {
  Handle file;
};

NewFile::NewFile() : impl_(std::make_unique<Impl>()) {}

NewFile::~NewFile() { Close(); }

// CREATE_NEW fails on any name that exists, a link included, and the reparse flag keeps the
// call from acting on what a link leads to.
bool NewFile::Create(const std::string& path, unsigned mode) {
  Close();
  RemoveNameAt(Wide(path));
  return CreateOnly(path, mode);
}

bool NewFile::CreateOnly(const std::string& path, unsigned) {
  Close();
  impl_->file.Reset(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return impl_->file.ok();
}

// The reparse flag opens a link itself, which the attribute check then refuses.
bool NewFile::ContinueAfter(const std::string& path, uint64_t keep) {
  Close();
  impl_->file.Reset(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(keep);
  const bool ok = impl_->file.ok() && GetFileType(impl_->file.get()) == FILE_TYPE_DISK &&
                  GetFileInformationByHandle(impl_->file.get(), &info) &&
                  !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
                  ((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) >= keep &&
                  SetFilePointerEx(impl_->file.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(impl_->file.get());
  if (!ok) Close();
  return ok;
}

bool NewFile::IsOpen() const { return impl_->file.ok(); }

bool NewFile::Write(const char* data, size_t size) {
  while (size > 0) {
    const DWORD part = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
    DWORD written = 0;
    if (!WriteFile(impl_->file.get(), data, part, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Without the owner's write bit the file is read-only, the one mode bit Windows keeps.
void NewFile::Finish(unsigned mode, int64_t accessed, int64_t modified) {
  FILE_BASIC_INFO basic{};
  basic.LastAccessTime = FileTimeOf(accessed);
  basic.LastWriteTime = FileTimeOf(modified);
  basic.FileAttributes = (mode & 0200) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
  SetFileInformationByHandle(impl_->file.get(), FileBasicInfo, &basic, sizeof basic);
}

bool NewFile::Close() { return impl_->file.Reset(); }

// --- FileMapping -----------------------------------------------------------------------------

struct FileMapping::Impl {
  const void* view = nullptr;
  uint64_t size = 0;

  void Unmap() {
    if (view) UnmapViewOfFile(view);
    view = nullptr;
    size = 0;
  }
};

FileMapping::FileMapping() : impl_(std::make_unique<Impl>()) {}

FileMapping::~FileMapping() { impl_->Unmap(); }

// The view keeps the file mapped after both handles are closed.
bool FileMapping::Map(const std::string& path) {
  impl_->Unmap();
  Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.ok() || GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  const uint64_t size = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  if (size == 0) return true;  // nothing to map in an empty file
  Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.ok()) return false;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (!view) return false;
  impl_->view = view;
  impl_->size = size;
  return true;
}

const void* FileMapping::Data() const { return impl_->view; }

uint64_t FileMapping::Size() const { return impl_->size; }

// --- HeldDirectory ---------------------------------------------------------------------------

// Windows has no removal relative to an open directory: each level is held open without
// FILE_SHARE_DELETE instead, so while it is held it cannot be renamed, removed or replaced by
// a link, and its path keeps leading to it.
struct HeldDirectory::Impl {
  Handle handle;
  std::wstring path;
};

namespace {

HeldDirectory::Impl* Held(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  auto* impl = new HeldDirectory::Impl;
  impl->handle.Reset(h);
  impl->path = path;
  BY_HANDLE_FILE_INFORMATION info;
  if (impl->handle.ok() && GetFileInformationByHandle(impl->handle.get(), &info) && IsRealDirectory(info.dwFileAttributes)) {
    return impl;
  }
  delete impl;
  return nullptr;
}

// A name of one level only: a separator or ".." would leave the held directory.
bool IsOneLevel(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

HeldDirectory::HeldDirectory() = default;
HeldDirectory::~HeldDirectory() = default;
HeldDirectory::HeldDirectory(HeldDirectory&&) noexcept = default;
HeldDirectory& HeldDirectory::operator=(HeldDirectory&&) noexcept = default;

HeldDirectory HeldDirectory::Open(const std::string& path) {
  HeldDirectory out;
  out.impl_.reset(Held(Wide(path)));
  return out;
}

HeldDirectory HeldDirectory::Child(const std::string& name) const {
  HeldDirectory out;
  if (impl_ && IsOneLevel(name)) out.impl_.reset(Held(impl_->path + L"\\" + Wide(name)));
  return out;
}

HeldDirectory HeldDirectory::Copy() const {
  HeldDirectory out;
  if (impl_) out.impl_.reset(Held(impl_->path));
  return out;
}

bool HeldDirectory::IsOpen() const { return impl_ != nullptr; }

bool HeldDirectory::RemoveName(const std::string& name) const {
  return impl_ && IsOneLevel(name) && RemoveNameAt(impl_->path + L"\\" + Wide(name));
}

bool HeldDirectory::RemoveEmptyChild(const std::string& name) const {
  return impl_ && IsOneLevel(name) && RemoveEmpty(impl_->path + L"\\" + Wide(name));
}

// Through CreateFileW: the handle is never inherited, and the file may be renamed or removed
// while it is read, as on Linux.
StreamPtr OpenForReading(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "rb");
  if (!stream) _close(fd);  // closes the handle too
  return StreamPtr(stream);
}

}  // namespace platform
