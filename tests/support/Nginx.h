// nginx from the distribution, serving one directory on 127.0.0.1 for a test: the
// configuration, pid file, logs and temporary paths all live in a private temporary directory,
// so it runs the same as root and as a normal user. Stopped in the destructor.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "tests/support/TempDir.h"

namespace testsupport {

class Nginx {
 public:
  // Starts serving `root` and waits (bounded) until it answers.
  explicit Nginx(const std::string& root);
  ~Nginx();
  Nginx(const Nginx&) = delete;
  Nginx& operator=(const Nginx&) = delete;

  bool Started() const { return port_ != 0; }
  uint16_t Port() const { return port_; }
  std::string BaseUrl() const;  // "http://127.0.0.1:<port>"
  // Why it did not start (its error log), for test failure messages.
  std::string ErrorText() const;
  // The access log so far, one line per request.
  std::string AccessLog() const;

  static constexpr const char* kBinary = "/usr/sbin/nginx";

 private:
  bool TryStart(const std::string& root, uint16_t port);
  void StopProcess();

  TempDir dir_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

}  // namespace testsupport
