#include "platform/HttpRequest.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/TransferPace.h"
#include "platform/win32/Wide.h"

namespace platform {

namespace {

// RELOAD | NO_CACHE_WRITE | KEEP_CONNECTION | PRAGMA_NOCACHE, as the programs always asked.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_PRAGMA_NOCACHE;
constexpr DWORD kReadBytes = 5120;
// WinINet lets a process hold only a few connections to one server; the updater keeps several
// transfers in flight, each on its own connection, so the limit is raised above their number.
constexpr DWORD kConnectionsPerServer = 10;

void RaiseConnectionLimit() {
  static std::once_flag once;
  std::call_once(once, [] {
    DWORD count = kConnectionsPerServer;
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &count, sizeof count);
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &count, sizeof count);
  });
}

// Owns one WinINet handle.
class NetHandle {
 public:
  explicit NetHandle(HINTERNET h = nullptr) : h_(h) {}
  ~NetHandle() {
    if (h_) InternetCloseHandle(h_);
  }
  NetHandle(const NetHandle&) = delete;
  NetHandle& operator=(const NetHandle&) = delete;
  HINTERNET get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

struct UrlParts {
  std::wstring host;
  std::wstring object;  // path and query
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool SplitUrl(const std::wstring& url, UrlParts& parts) {
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof c;
  c.dwHostNameLength = 1;
  c.dwUrlPathLength = 1;
  c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
  parts.host.assign(c.lpszHostName, c.dwHostNameLength);
  parts.object.assign(c.lpszUrlPath, c.dwUrlPathLength);
  if (c.lpszExtraInfo) parts.object.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.object.empty()) parts.object = L"/";
  parts.port = c.nPort;
  parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  return !parts.host.empty();
}

// The answer's status and header fields, from the raw header block.
HttpAnswer AnswerOf(HINTERNET request) {
  HttpAnswer answer;
  DWORD size = 0;
  HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  std::string raw(size, '\0');
  if (size > 0 && HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr)) {
    raw.resize(size);
    for (size_t at = 0; at < raw.size();) {
      size_t end = raw.find('\n', at);
      if (end == std::string::npos) end = raw.size();
      answer.AddLine(std::string_view(raw).substr(at, end - at));
      at = end + 1;
    }
  }
  return answer;
}

long StatusOf(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, text, &size, nullptr)) return 0;
  return std::wcstol(text, nullptr, 10);
}

void SetTimeouts(HINTERNET h, const HttpLimits& limits) {
  DWORD connect = static_cast<DWORD>(limits.connectTimeoutMs);
  // A read that waits longer than the stall time fails: nothing hangs forever.
  DWORD receive = static_cast<DWORD>(limits.stallMs);
  InternetSetOptionW(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionW(h, INTERNET_OPTION_SEND_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionW(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionW(h, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

bool Continue(const HttpReceiver& receiver) { return !receiver.keepGoing || receiver.keepGoing(); }

std::optional<uint64_t> ContentLength(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
  return std::wcstoull(text, nullptr, 10);
}

HttpResult Receive(HINTERNET request, const HttpLimits& limits, const HttpReceiver& receiver) {
  const std::optional<uint64_t> announced = ContentLength(request);
  // A body announced longer than allowed fails before the receiver sees anything.
  if (announced && limits.maxAnnouncedBytes > 0 && *announced > limits.maxAnnouncedBytes) return HttpResult::kFailed;
  if (receiver.onStatus) {
    HttpAnswer answer = AnswerOf(request);
    answer.status = StatusOf(request);
    if (!receiver.onStatus(answer)) return HttpResult::kEnded;
  }
  uint64_t received = 0;
  const auto started = std::chrono::steady_clock::now();
  TransferPace pace(limits, started);
  char buffer[kReadBytes];
  for (;;) {
    if (!Continue(receiver)) return HttpResult::kEnded;
    if (limits.totalTimeoutMs > 0 &&
        std::chrono::steady_clock::now() - started > std::chrono::milliseconds(limits.totalTimeoutMs)) {
      return HttpResult::kFailed;
    }
    // A read asks only for what has arrived: InternetReadFile waits until the buffer is full,
    // so a server trickling bytes would otherwise escape the rate floor.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return HttpResult::kFailed;
    DWORD got = 0;
    if (available > 0 &&
        !InternetReadFile(request, buffer, available < sizeof buffer ? available : sizeof buffer, &got)) {
      return HttpResult::kFailed;
    }
    // WinINet reports a connection closed early as the end: the announced length decides.
    if (got == 0) return !announced || received == *announced ? HttpResult::kComplete : HttpResult::kFailed;
    received += got;
    if (receiver.onBody && !receiver.onBody(buffer, got)) return HttpResult::kEnded;
    if (!pace.Keeps(received, std::chrono::steady_clock::now())) return HttpResult::kFailed;
  }
}

}  // namespace

// The handles of the running transfer, reachable by Abort from another thread.
struct HttpClient::State {
  std::mutex lock;
  HINTERNET root = nullptr;
  std::atomic<bool> aborted{false};
};

HttpClient::HttpClient() : state_(std::make_unique<State>()) {}
HttpClient::~HttpClient() = default;

// Closing the root handle makes every call on the transfer's handles return at once.
void HttpClient::Abort() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->aborted = true;
  if (state_->root) InternetCloseHandle(state_->root);
  state_->root = nullptr;
}

HttpResult HttpClient::Get(const std::string& url, const HttpLimits& limits, const HttpReceiver& receiver,
                           const std::vector<std::string>& extraHeaders) {
  UrlParts parts;
  if (!SplitUrl(detail::Wide(url), parts)) return HttpResult::kFailed;
  RaiseConnectionLimit();
  HINTERNET root = InternetOpenW(detail::Wide(kUserAgent).c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!root) return HttpResult::kFailed;
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->aborted = false;
    state_->root = root;
  }
  SetTimeouts(root, limits);
  HttpResult result = HttpResult::kFailed;
  {
    NetHandle connection(InternetConnectW(root, parts.host.c_str(), parts.port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0));
    const wchar_t* accept[] = {L"*/*", nullptr};
    DWORD flags = kRequestFlags | (parts.secure ? INTERNET_FLAG_SECURE : 0);
    NetHandle request(connection ? HttpOpenRequestW(connection.get(), nullptr, parts.object.c_str(),
                                                    L"HTTP/1.1", nullptr, accept, flags, 0)
                                 : nullptr);
    if (request) {
      SetTimeouts(request.get(), limits);  // Wine takes them per request only
      // The no-cache flag sends the Pragma line; caches that know HTTP/1.1 read this one.
      HttpAddRequestHeadersW(request.get(), L"Cache-Control: no-cache\r\n", static_cast<DWORD>(-1),
                             HTTP_ADDREQ_FLAG_ADD_IF_NEW);
      for (const std::string& line : extraHeaders) {
        const std::wstring wide = detail::Wide(line) + L"\r\n";
        HttpAddRequestHeadersW(request.get(), wide.c_str(), static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD);
      }
    }
    if (request && HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
      result = Receive(request.get(), limits, receiver);
    }
  }
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->root) InternetCloseHandle(state_->root);
  state_->root = nullptr;
  if (state_->aborted) result = HttpResult::kFailed;
  return result;
}

}  // namespace platform
