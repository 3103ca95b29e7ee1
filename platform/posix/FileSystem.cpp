#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {

std::filesystem::path FsPath(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8Path(const std::filesystem::path& path) { return path.native(); }

std::string CurrentDirectoryPath() {
  char cwd[4096];
  return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string();
}

PathKind KindOf(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return PathKind::kMissing;
  if (S_ISLNK(st.st_mode)) return PathKind::kLink;
  if (S_ISREG(st.st_mode)) return PathKind::kFile;
  if (S_ISDIR(st.st_mode)) return PathKind::kDirectory;
  return PathKind::kOther;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RemoveEmptyDirectory(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool RenameReplacing(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool MakeRealDirectory(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(path.c_str());
  ::mkdir(path.c_str(), 0755);
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SetFileTimes(const std::string& path, int64_t accessed, int64_t modified) {
  const timespec times[2] = {{static_cast<time_t>(accessed), 0}, {static_cast<time_t>(modified), 0}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool RegularFileFacts(const std::string& path, Links links, FileFacts& out) {
  struct stat st;
  const int result = links == Links::kFollow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  if (result != 0 || !S_ISREG(st.st_mode)) return false;
  out = FileFacts{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
                  static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                  static_cast<unsigned>(st.st_mode & 07777)};
  return true;
}

// --- NewFile ---------------------------------------------------------------------------------

struct NewFile::Impl {
  int fd = -1;
};

NewFile::NewFile() : impl_(std::make_unique<Impl>()) {}

NewFile::~NewFile() { Close(); }

bool NewFile::Create(const std::string& path, unsigned mode) {
  Close();
  ::unlink(path.c_str());
  return CreateOnly(path, mode);
}

bool NewFile::CreateOnly(const std::string& path, unsigned mode) {
  Close();
  impl_->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, static_cast<mode_t>(mode));
  return impl_->fd >= 0;
}

bool NewFile::ContinueAfter(const std::string& path, uint64_t keep) {
  Close();
  impl_->fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  struct stat st;
  if (impl_->fd < 0 || ::fstat(impl_->fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) < keep ||
      ::ftruncate(impl_->fd, static_cast<off_t>(keep)) != 0 || ::lseek(impl_->fd, 0, SEEK_END) < 0) {
    Close();
    return false;
  }
  return true;
}

bool NewFile::IsOpen() const { return impl_->fd >= 0; }

bool NewFile::Write(const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(impl_->fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void NewFile::Finish(unsigned mode, int64_t accessed, int64_t modified) {
  ::fchmod(impl_->fd, static_cast<mode_t>(mode));
  const timespec both[2] = {{static_cast<time_t>(accessed), 0}, {static_cast<time_t>(modified), 0}};
  ::futimens(impl_->fd, both);
}

bool NewFile::Close() {
  const int fd = impl_->fd;
  impl_->fd = -1;
  return fd < 0 || ::close(fd) == 0;
}

// --- FileMapping -----------------------------------------------------------------------------

struct FileMapping::Impl {
  void* data = nullptr;
  uint64_t size = 0;

  void Unmap() {
    if (data) ::munmap(data, static_cast<size_t>(size));
    data = nullptr;
    size = 0;
  }
};

FileMapping::FileMapping() : impl_(std::make_unique<Impl>()) {}

FileMapping::~FileMapping() { impl_->Unmap(); }

bool FileMapping::Map(const std::string& path) {
  impl_->Unmap();
  // Non-blocking, so a pipe planted at the name cannot hold the caller.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  // Nothing to map in an empty file.
  if (ok && st.st_size > 0) {
    void* data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ok = data != MAP_FAILED;
    if (ok) {
      impl_->data = data;
      impl_->size = static_cast<uint64_t>(st.st_size);
    }
  }
  ::close(fd);
  return ok;
}

const void* FileMapping::Data() const { return impl_->data; }

uint64_t FileMapping::Size() const { return impl_->size; }

// --- HeldDirectory ---------------------------------------------------------------------------

struct HeldDirectory::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

HeldDirectory::Impl* Held(int fd) {
  if (fd < 0) return nullptr;
  auto* impl = new HeldDirectory::Impl;
  impl->fd = fd;
  return impl;
}

}  // namespace

HeldDirectory::HeldDirectory() = default;
HeldDirectory::~HeldDirectory() = default;
HeldDirectory::HeldDirectory(HeldDirectory&&) noexcept = default;
HeldDirectory& HeldDirectory::operator=(HeldDirectory&&) noexcept = default;

HeldDirectory HeldDirectory::Open(const std::string& path) {
  HeldDirectory out;
  out.impl_.reset(Held(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
  return out;
}

HeldDirectory HeldDirectory::Child(const std::string& name) const {
  HeldDirectory out;
  if (impl_) out.impl_.reset(Held(::openat(impl_->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
  return out;
}

HeldDirectory HeldDirectory::Copy() const {
  HeldDirectory out;
  if (impl_) out.impl_.reset(Held(::fcntl(impl_->fd, F_DUPFD_CLOEXEC, 0)));
  return out;
}

bool HeldDirectory::IsOpen() const { return impl_ != nullptr; }

bool HeldDirectory::RemoveName(const std::string& name) const {
  return impl_ && ::unlinkat(impl_->fd, name.c_str(), 0) == 0;
}

// Removing a directory never follows a link: a link there makes this fail, as it should.
bool HeldDirectory::RemoveEmptyChild(const std::string& name) const {
  return impl_ && ::unlinkat(impl_->fd, name.c_str(), AT_REMOVEDIR) == 0;
}

StreamPtr OpenForReading(const std::string& path) {
  StreamPtr stream(std::fopen(path.c_str(), "rbe"));
  if (stream) ::posix_fadvise(fileno(stream.get()), 0, 0, POSIX_FADV_SEQUENTIAL);
  return stream;
}

}  // namespace platform
