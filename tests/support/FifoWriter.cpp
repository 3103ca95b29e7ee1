#include "tests/support/FifoWriter.h"

#if defined(__unix__)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

FifoWriter::FifoWriter(std::string path, std::string content)
    : path_(std::move(path)), content_(std::move(content)) {
  made_ = ::mkfifo(path_.c_str(), 0600) == 0;
  if (!made_) return;
  ::signal(SIGPIPE, SIG_IGN);  // a reader that closes at once must not end the test
  writer_ = std::thread([this] {
    int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    size_t done = 0;
    while (done < content_.size()) {
      ssize_t n = ::write(fd, content_.data() + done, content_.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::close(fd);
  });
}

void FifoWriter::Finish() {
  if (!writer_.joinable()) return;
  // A reader of our own lets a writer still waiting to open go on; it then writes into a pipe
  // nobody reads to the end, so this reader drains it.
  int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::fcntl(fd, F_SETFL, 0);
    char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
  }
  writer_.join();
  if (fd >= 0) ::close(fd);
}

FifoWriter::~FifoWriter() { Finish(); }

}  // namespace testsupport
#endif
