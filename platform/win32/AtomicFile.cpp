#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/detail/TemporaryName.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

constexpr size_t kNameMax = 255;

// Closes a file handle on every path out.
class File {
 public:
  explicit File(HANDLE h) : h_(h) {}
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h == INVALID_HANDLE_VALUE || CloseHandle(h);
  }

 private:
  HANDLE h_;
};

std::wstring W(const std::string& path) { return detail::Wide(path); }

// A new file only: an existing one (or a link planted at the name) is never written through.
HANDLE CreateNew(const std::string& path) {
  return CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE h, const char* data, size_t size) {
  while (size > 0) {
    DWORD part = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
    DWORD written = 0;
    if (!WriteFile(h, data, part, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool FlushFile(const std::string& path) {
  File f(CreateFileW(W(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr));
  return f.ok() && FlushFileBuffers(f.get());
}

// True when both names lead to one file (a resumed install that had linked it before).
bool SameFile(const std::string& a, const std::string& b) {
  auto info = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& out) {
    File f(CreateFileW(W(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return f.ok() && GetFileInformationByHandle(f.get(), &out);
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return info(a, ia) && info(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

// The rename that replaces: the target is the old file or the new one, never a torn mix. A
// read-only target is replaced too, as on Linux.
bool MoveOver(const std::string& from, const std::string& to) { return RenameReplacing(from, to); }

}  // namespace

std::string TemporaryNameFor(const std::string& target) {
  return detail::TemporaryNameBeside(target, "/\\",
                                     [](const std::string& name) { return detail::Wide(name).size() <= kNameMax; });
}

// A hard link when the file system has them, otherwise CopyFileW, which keeps the attributes.
Staging StageReplacement(const std::string& source, const std::string& target) {
  const std::string temp = TemporaryNameFor(target);
  DeleteFileW(W(temp).c_str());  // left over from an interrupted run
  if (SameFile(source, target)) return Staging::kAlreadyInPlace;
  DWORD attributes = GetFileAttributesW(W(source).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return Staging::kFailed;
  }
  if (CreateHardLinkW(W(temp).c_str(), W(source).c_str(), nullptr)) return Staging::kStaged;
  if (CopyFileW(W(source).c_str(), W(temp).c_str(), TRUE)) return Staging::kStaged;
  DeleteFileW(W(temp).c_str());
  return Staging::kFailed;
}

// Windows starts writing back on its own; the flush below does the waiting.
void StartWriteback(const std::string&) {}

bool FlushFiles(const std::vector<std::string>& paths) {
  bool ok = true;
  for (const std::string& path : paths) ok = FlushFile(path) && ok;
  return ok;
}

bool CommitReplacement(const std::string& target) { return MoveOver(TemporaryNameFor(target), target); }

void DiscardReplacement(const std::string& target) { DeleteFileW(W(TemporaryNameFor(target)).c_str()); }

bool ReplaceFileContent(const std::string& target, std::string_view bytes, unsigned mode, Durability durability) {
  const std::string temp = TemporaryNameFor(target);
  DeleteFileW(W(temp).c_str());
  File out(CreateNew(temp));
  bool ok = out.ok() && WriteAll(out.get(), bytes.data(), bytes.size()) &&
            (durability == Durability::kUnflushed || FlushFileBuffers(out.get()));
  ok = out.Close() && ok;
  // Without the owner's write bit the file is read-only, the one mode bit Windows keeps.
  if (ok && !(mode & 0200)) SetFileAttributesW(W(temp).c_str(), FILE_ATTRIBUTE_READONLY);
  if (ok && MoveOver(temp, target)) return true;
  DeleteFileW(W(temp).c_str());
  return false;
}

}  // namespace platform
