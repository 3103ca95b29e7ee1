// A full disk for the length of a scope: no file of this process may grow past a size, and
// writes beyond it fail with EFBIG instead of killing the process. Windows has no per-process
// file size limit: there the scope limits nothing and Supported() is false.
#pragma once

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#endif

#include <cstdint>

namespace testsupport {

class FileSizeLimit {
 public:
#if defined(_WIN32)
  explicit FileSizeLimit(uint64_t) {}
  static constexpr bool Supported() { return false; }
#else
  explicit FileSizeLimit(uint64_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limited = saved_;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
  static constexpr bool Supported() { return true; }
#endif
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
#if !defined(_WIN32)
  rlimit saved_{};
#endif
};

}  // namespace testsupport
