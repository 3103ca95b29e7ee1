// A named pipe with a writer that hands `content` to the first reader that opens it (POSIX).
// A reader that opens the pipe blocking gets the content; one that opens it without blocking and
// refuses it leaves the writer waiting, which Finish releases. No timing is involved.
#pragma once

#include <string>
#include <thread>

namespace testsupport {

class FifoWriter {
 public:
  // Makes the pipe at `path`; Made() tells whether that worked.
  FifoWriter(std::string path, std::string content);
  ~FifoWriter();
  FifoWriter(const FifoWriter&) = delete;
  FifoWriter& operator=(const FifoWriter&) = delete;

  bool Made() const { return made_; }
  // Releases a writer still waiting for a reader and waits for it to end.
  void Finish();

 private:
  std::string path_;
  std::string content_;
  bool made_ = false;
  std::thread writer_;
};

}  // namespace testsupport
