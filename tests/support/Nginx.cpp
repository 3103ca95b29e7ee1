#include "tests/support/Nginx.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

// A port that was free a moment ago; nginx may still lose a race for it, so callers retry.
uint16_t FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(fd);
  return port;
}

bool Answers(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

std::string Config(const std::string& dir, const std::string& root, uint16_t port) {
  std::string p = std::to_string(port);
  return "daemon off;\nmaster_process off;\nworker_processes 1;\n"
         "pid " + dir + "/nginx.pid;\nerror_log " + dir + "/error.log warn;\n"
         "events { worker_connections 256; }\n"
         "http {\n"
         "  access_log " + dir + "/access.log;\n"
         "  client_body_temp_path " + dir + "/body;\n  proxy_temp_path " + dir + "/proxy;\n"
         "  fastcgi_temp_path " + dir + "/fastcgi;\n  uwsgi_temp_path " + dir + "/uwsgi;\n"
         "  scgi_temp_path " + dir + "/scgi;\n"
         "  default_type application/octet-stream;\n  sendfile on;\n  keepalive_timeout 30s;\n"
         "  server {\n    listen 127.0.0.1:" + p + ";\n    root " + root + ";\n"
         "    location / { }\n  }\n}\n";
}

}  // namespace

Nginx::Nginx(const std::string& root) {
  if (dir_.Path().empty()) return;
  for (int attempt = 0; attempt < 3 && !Started(); ++attempt) {
    uint16_t port = FreePort();
    if (port != 0 && TryStart(root, port)) port_ = port;
  }
}

Nginx::~Nginx() { StopProcess(); }

std::string Nginx::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string Nginx::ErrorText() const { return ReadFileBytes(dir_.Join("error.log")); }

std::string Nginx::AccessLog() const { return ReadFileBytes(dir_.Join("access.log")); }

bool Nginx::TryStart(const std::string& root, uint16_t port) {
  const std::string conf = dir_.Join("nginx.conf");
  if (!WriteFileBytes(conf, Config(dir_.Path(), root, port))) return false;
  const std::string errorLog = dir_.Join("error.log");
  std::string prefix = dir_.Path() + "/";
  const char* argv[] = {kBinary, "-p", prefix.c_str(), "-c", conf.c_str(), "-e", errorLog.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errorLog.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
  int rc = posix_spawn(&pid_, kBinary, &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Answers(port)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {  // it gave up, e.g. the port was taken
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  StopProcess();
  return false;
}

void Nginx::StopProcess() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  for (int i = 0; i < 300; ++i) {  // up to 3 s, then force it
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace testsupport
