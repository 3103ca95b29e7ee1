#include "platform/AtomicFile.h"
#include "platform/detail/TemporaryName.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <system_error>
#include <thread>

namespace platform {
namespace {

// Closes a descriptor on every path out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || close(fd) == 0;
  }

 private:
  int fd_;
};

bool FlushFile(const std::string& path) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  return fd.get() >= 0 && fsync(fd.get()) == 0;
}

bool CopyContent(int from, int to, off_t size) {
  off_t offset = 0;
  while (offset < size) {
    ssize_t n = copy_file_range(from, &offset, to, nullptr, static_cast<size_t>(size - offset), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
      n = sendfile(to, from, &offset, static_cast<size_t>(size - offset));
      if (n < 0 && errno == EINTR) continue;
    }
    if (n <= 0) return false;
  }
  return true;
}

// A new file at `temp` with the content and mode of `source`, flushed when asked.
int CreateNew(const std::string& path, mode_t mode) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// A new file at `temp` with the content and mode of `source`.
bool MakeCopy(const std::string& source, const std::string& temp) {
  Fd in(open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (in.get() < 0 || fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  Fd out(CreateNew(temp, 0600));
  if (out.get() < 0) return false;
  bool ok = CopyContent(in.get(), out.get(), st.st_size) && fchmod(out.get(), st.st_mode & 07777) == 0;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  futimens(out.get(), times);  // keeping the times is a courtesy; content and mode are what count
  return out.Close() && ok;
}

// The cheap way when both names are on one file system: a second name for the same data.
// Safe because nothing writes the source in place again (every write makes a new file).
bool MakeLink(const std::string& source, const std::string& temp) {
  struct stat st;
  if (lstat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return link(source.c_str(), temp.c_str()) == 0;
}

// True when both names already lead to the same file, as after a resumed install that had
// linked it before (rename would then do nothing and leave the temporary name behind).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

std::string TemporaryNameFor(const std::string& target) {
  return detail::TemporaryNameBeside(target, "/",
                                     [](const std::string& name) { return name.size() <= NAME_MAX; });
}

Staging StageReplacement(const std::string& source, const std::string& target) {
  const std::string temp = TemporaryNameFor(target);
  unlink(temp.c_str());  // left over from an interrupted run
  if (SameFile(source, target)) return Staging::kAlreadyInPlace;
  if (MakeLink(source, temp)) return Staging::kStaged;
  unlink(temp.c_str());
  if (MakeCopy(source, temp)) return Staging::kStaged;
  unlink(temp.c_str());
  return Staging::kFailed;
}

bool FlushFiles(const std::vector<std::string>& paths) {
  // Flushes issued together share the file system's journal commits, which makes many small
  // files far cheaper to flush than one after another.
  constexpr size_t kFlushers = 8;
  std::atomic<size_t> next{0};
  std::atomic<bool> ok{true};
  auto flushSome = [&] {
    for (size_t i = next++; i < paths.size(); i = next++) {
      if (!FlushFile(paths[i])) ok = false;
    }
  };
  std::vector<std::thread> flushers;
  try {
    for (size_t i = 1; i < std::min(kFlushers, paths.size()); ++i) flushers.emplace_back(flushSome);
  } catch (const std::system_error&) {
    // Fewer helpers than hoped: the ones running and this thread still flush everything.
  }
  flushSome();
  for (std::thread& t : flushers) t.join();
  return ok;
}

void StartWriteback(const std::string& path) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() >= 0) sync_file_range(fd.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool CommitReplacement(const std::string& target) {
  return rename(TemporaryNameFor(target).c_str(), target.c_str()) == 0;
}

void DiscardReplacement(const std::string& target) { unlink(TemporaryNameFor(target).c_str()); }

bool ReplaceFileContent(const std::string& target, std::string_view bytes, unsigned mode, Durability durability) {
  const std::string temp = TemporaryNameFor(target);
  unlink(temp.c_str());
  Fd out(CreateNew(temp, static_cast<mode_t>(mode)));
  bool ok = out.get() >= 0 && WriteAll(out.get(), bytes.data(), bytes.size()) &&
            (durability == Durability::kUnflushed || fsync(out.get()) == 0);
  ok = out.Close() && ok;  // a close that fails may have lost the last bytes
  if (ok && rename(temp.c_str(), target.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

}  // namespace platform
