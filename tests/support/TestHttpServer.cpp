#include "tests/support/TestHttpServer.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#elif defined(__unix__)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#else
#error "TestHttpServer: no sockets for this platform"
#endif

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>

#include "text/Text.h"

namespace testsupport {
namespace {

#if defined(_WIN32)
// Winsock under the names the server uses; socket handles fit the int the server keeps.
constexpr int MSG_NOSIGNAL = 0;
constexpr int SOCK_CLOEXEC = 0;
constexpr int SHUT_RDWR = SD_BOTH;
int close(int fd) { return closesocket(static_cast<SOCKET>(fd)); }
int poll(pollfd* fds, unsigned long count, int timeoutMs) { return WSAPoll(fds, count, timeoutMs); }
int accept4(int fd, sockaddr* addr, int* len, int) {
  return static_cast<int>(accept(static_cast<SOCKET>(fd), addr, len));
}
// Winsock needs starting once per process, before the first socket.
const bool kWinsockStarted = [] {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
#endif

pollfd ReadableEntry(int fd) {
  pollfd p{};
  p.fd = fd;
  p.events = POLLIN;
  return p;
}

// Every wait is a poll slice of this length, so Stop() is noticed quickly.
constexpr int kSliceMs = 20;
constexpr size_t kMaxHeaderBytes = 64 * 1024;

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  size_t e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%XX" escapes decoded, as a file server maps a path to a file name.
std::string PercentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

HttpResponse HttpResponse::Ok(std::string body) {
  HttpResponse r;
  r.body = std::move(body);
  return r;
}

HttpResponse HttpResponse::Status(int status, std::string body) {
  HttpResponse r;
  r.status = status;
  r.body = std::move(body);
  return r;
}

HttpResponse HttpResponse::Redirect(const std::string& location, int status) {
  HttpResponse r;
  r.status = status;
  r.headers.emplace_back("Location", location);
  return r;
}

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (text::AsciiLower(key) == text::AsciiLower(name)) return value;
  }
  return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(), [&](const auto& h) {
    return text::AsciiLower(h.first) == text::AsciiLower(name);
  });
}

TestHttpServer::TestHttpServer() {
  listenFd_ = static_cast<int>(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (listenFd_ < 0) return;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(listenFd_, 16) != 0 ||
      getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(listenFd_);
    listenFd_ = -1;
    return;
  }
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() { Stop(); }

std::string TestHttpServer::BaseUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

void TestHttpServer::Set(const std::string& path, HttpResponse response) {
  SetSequence(path, {std::move(response)});
}

void TestHttpServer::SetSequence(const std::string& path, std::vector<HttpResponse> responses) {
  std::lock_guard<std::mutex> lock(mutex_);
  scripts_[path] = Script{std::move(responses), 0};
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int TestHttpServer::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(requests_.begin(), requests_.end(),
                                        [&](const RecordedRequest& r) { return r.path == path; }));
}

void TestHttpServer::Stop() {
  if (stopping_.exchange(true)) return;
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Wake workers blocked in a stalled answer or a keep-alive wait.
    for (int fd : openFds_) shutdown(fd, SHUT_RDWR);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
  if (listenFd_ >= 0) close(listenFd_);
  listenFd_ = -1;
}

void TestHttpServer::AcceptLoop() {
  while (!stopping_) {
    pollfd p = ReadableEntry(listenFd_);
    if (poll(&p, 1, kSliceMs) <= 0) continue;
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
#if defined(_WIN32)
    // Under Wine, shutting a socket down does not wake a send blocked on a client that stopped
    // reading (one that refused a body too long): such a send gives up by itself instead.
    const DWORD sendLimitMs = 2000;
    setsockopt(static_cast<SOCKET>(fd), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendLimitMs),
               sizeof sendLimitMs);
#endif
    ++connections_;
    std::lock_guard<std::mutex> lock(mutex_);
    openFds_.push_back(fd);
    workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

void TestHttpServer::Serve(int fd) {
  std::string buffer;
  bool keep = true;
  while (keep && !stopping_) {
    RecordedRequest request;
    if (!ReadRequest(fd, buffer, request)) break;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    Answer(fd, request, Pick(request.path), keep);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
  close(fd);
}

bool TestHttpServer::ReadRequest(int fd, std::string& buffer, RecordedRequest& request) {
  size_t end;
  while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
    if (stopping_ || buffer.size() > kMaxHeaderBytes) return false;
    pollfd p = ReadableEntry(fd);
    if (poll(&p, 1, kSliceMs) <= 0) continue;
    char chunk[4096];
    ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(n));
  }
  std::string head = buffer.substr(0, end);
  buffer.erase(0, end + 4);
  size_t lineEnd = head.find("\r\n");
  std::string line = head.substr(0, lineEnd);
  size_t s1 = line.find(' '), s2 = line.rfind(' ');
  if (s1 == std::string::npos || s2 == s1) return false;
  request.method = line.substr(0, s1);
  request.target = line.substr(s1 + 1, s2 - s1 - 1);
  request.version = line.substr(s2 + 1);
  size_t q = request.target.find('?');
  request.path = PercentDecode(request.target.substr(0, q));
  request.query = q == std::string::npos ? std::string() : request.target.substr(q + 1);
  size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (pos < head.size()) {
    size_t next = head.find("\r\n", pos);
    if (next == std::string::npos) next = head.size();
    std::string h = head.substr(pos, next - pos);
    size_t colon = h.find(':');
    if (colon != std::string::npos) request.headers.emplace_back(h.substr(0, colon), Trim(h.substr(colon + 1)));
    pos = next + 2;
  }
  return true;
}

HttpResponse TestHttpServer::Pick(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = scripts_.find(path);
  if (it == scripts_.end() || it->second.responses.empty()) return HttpResponse::Status(404, "not found");
  Script& script = it->second;
  HttpResponse r = script.responses[std::min(script.next, script.responses.size() - 1)];
  ++script.next;
  return r;
}

HttpResponse TestHttpServer::ApplyRange(const RecordedRequest& request, HttpResponse response) {
  const std::string range = request.Header("Range");
  if (!response.servesRanges || response.status != 200 || range.rfind("bytes=", 0) != 0 || range.back() != '-') {
    return response;
  }
  const std::string ifRange = request.Header("If-Range");
  std::string etag, modified;
  for (const auto& [key, value] : response.headers) {
    if (text::AsciiLower(key) == "etag") etag = value;
    if (text::AsciiLower(key) == "last-modified") modified = value;
  }
  if (!ifRange.empty() && ifRange != etag && ifRange != modified) return response;
  size_t from = 0;
  const auto [end, ec] = std::from_chars(range.data() + 6, range.data() + range.size() - 1, from);
  if (ec != std::errc() || end != range.data() + range.size() - 1) return HttpResponse::Status(400);
  const size_t size = response.body.size();
  if (from >= size) return HttpResponse::Status(416);
  response.status = 206;
  response.headers.emplace_back("Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(size - 1) + "/" +
                                                     std::to_string(size));
  response.body = response.body.substr(from);
  return response;
}

void TestHttpServer::Answer(int fd, const RecordedRequest& request, const HttpResponse& given, bool& keep) {
  keep = false;
  const HttpResponse response = ApplyRange(request, given);
  if (response.closeWithoutAnswer) return;
  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
  for (const auto& [key, value] : response.headers) head += key + ": " + value + "\r\n";
  head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n\r\n";
  size_t bodyBytes = response.body.size();
  if (response.truncateAfter >= 0) bodyBytes = std::min(bodyBytes, static_cast<size_t>(response.truncateAfter));
  else if (response.stall) bodyBytes = 0;
  if (!SendAll(fd, head.data(), head.size())) return;
  if (request.method != "HEAD" && response.trickleMs > 0) {
    for (size_t i = 0; i < bodyBytes && !stopping_; ++i) {
      if (!SendAll(fd, response.body.data() + i, 1)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(response.trickleMs));
    }
  } else if (request.method != "HEAD" && !SendAll(fd, response.body.data(), bodyBytes)) {
    return;
  }
  if (response.stall) return WaitForStop(fd);
  keep = response.truncateAfter < 0 && text::AsciiLower(request.Header("Connection")) != "close";
}

void TestHttpServer::WaitForStop(int fd) {
  char sink[256];
  while (!stopping_) {
    pollfd p = ReadableEntry(fd);
    if (poll(&p, 1, kSliceMs) > 0 && recv(fd, sink, sizeof sink, 0) <= 0) return;
  }
}

}  // namespace testsupport
