// A small HTTP/1.1 server on 127.0.0.1 for tests that must inject faults: each path answers
// what the test scripted (status, headers, body, a cut or stalled body, a dropped connection,
// a redirect), every request is recorded, and keep-alive connections are counted so reuse can
// be observed. Runs on its own threads; the destructor stops it with bounded waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // besides Content-Length
  std::string body;
  // Send only this many body bytes (Content-Length still announces the whole body), then close.
  long truncateAfter = -1;
  // Send the headers and truncateAfter body bytes (none when unset), then hang until the client
  // gives up or the server stops.
  bool stall = false;
  // Close the connection as soon as the request is read, without any answer.
  bool closeWithoutAnswer = false;
  // Send the body one byte at a time with this pause between bytes (a trickling server).
  long trickleMs = 0;
  // Answer "Range: bytes=N-" as a server that supports ranges does: a 206 with the rest of a
  // 200's body, unless an If-Range names another validator than this answer's ETag or
  // Last-Modified (then the whole body); an N past the end gets a 416.
  bool servesRanges = false;

  static HttpResponse Ok(std::string body);
  static HttpResponse Status(int status, std::string body = {});
  static HttpResponse Redirect(const std::string& location, int status = 302);
};

struct RecordedRequest {
  std::string method;
  std::string target;   // as sent: path and query
  std::string path;     // target up to "?", percent-escapes decoded
  std::string query;    // after "?", empty when none
  std::string version;  // "HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent

  // Value of the first header with this name (case-insensitive); empty when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
};

class TestHttpServer {
 public:
  TestHttpServer();  // listening when Port() != 0
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  uint16_t Port() const { return port_; }
  std::string BaseUrl() const;  // "http://127.0.0.1:<port>"

  // Scripts the answer for a decoded path (without query). Unscripted paths answer 404.
  void Set(const std::string& path, HttpResponse response);
  // Successive requests for the path get these answers in turn; the last one then repeats.
  void SetSequence(const std::string& path, std::vector<HttpResponse> responses);

  std::vector<RecordedRequest> Requests() const;
  int RequestCount(const std::string& path) const;
  int ConnectionCount() const { return connections_.load(); }

  void Stop();

 private:
  struct Script {
    std::vector<HttpResponse> responses;
    size_t next = 0;
  };
  void AcceptLoop();
  void Serve(int fd);
  bool ReadRequest(int fd, std::string& buffer, RecordedRequest& request);
  HttpResponse Pick(const std::string& path);
  void Answer(int fd, const RecordedRequest& request, const HttpResponse& response, bool& keep);
  static HttpResponse ApplyRange(const RecordedRequest& request, HttpResponse response);
  void WaitForStop(int fd);

  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::map<std::string, Script> scripts_;
  std::vector<RecordedRequest> requests_;
  std::vector<int> openFds_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

}  // namespace testsupport
