#include "platform/HttpRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "platform/TransferPace.h"

namespace platform {

namespace {

// Bytes taken from the connection at once.
constexpr long kReceiveBytes = 64 * 1024;

void InitCurl() {
  // The library's global set-up is not thread-safe; do it once before the first handle.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

bool ApplyRequestSettings(CURL* curl, const HttpLimits& limits, const std::vector<std::string>& extra,
                          HeaderList& headers) {
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_PROXY, "");  // direct: ignore proxy settings of the environment
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBytes);
  // An announced length over the limit fails before anything is handed over.
  const uint64_t announced = std::min<uint64_t>(limits.maxAnnouncedBytes, INT64_MAX);
  curl_off_t maxBytes = static_cast<curl_off_t>(announced);  // 0: no bound
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, maxBytes);
  // curl's own low-speed rule backs up the stall check below (it averages over seconds).
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, limits.stallMs / 1000) + 5);
  std::vector<std::string> lines{"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"};
  lines.insert(lines.end(), extra.begin(), extra.end());
  curl_slist* list = nullptr;
  for (const std::string& h : lines) {
    curl_slist* next = curl_slist_append(list, h.c_str());
    if (!next) {
      curl_slist_free_all(list);
      return false;
    }
    list = next;
  }
  headers.reset(list);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  return true;
}

// One transfer's state, reached from curl's callbacks.
struct Transfer {
  CURL* curl;
  const HttpLimits* limits;
  const HttpReceiver* receiver;
  const std::atomic<bool>* aborted;
  HttpAnswer answer{};
  bool statusSeen = false;
  bool ended = false;  // the receiver said stop
  TransferPace pace{*limits, std::chrono::steady_clock::now()};

  // Hands the status over once, before the first body byte. False when the receiver refused.
  bool Status() {
    if (statusSeen) return !ended;
    statusSeen = true;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    if (receiver->onStatus && !receiver->onStatus(answer)) ended = true;
    return !ended;
  }
};

size_t OnHeader(char* data, size_t, size_t size, void* user) {
  static_cast<Transfer*>(user)->answer.AddLine(std::string_view(data, size));
  return size;
}

size_t OnBody(char* data, size_t, size_t size, void* user) {
  Transfer& t = *static_cast<Transfer*>(user);
  if (!t.Status()) return 0;  // aborts the transfer
  if (t.receiver->onBody && !t.receiver->onBody(data, size)) {
    t.ended = true;
    return 0;
  }
  return size;
}

// Stops when told to, when the server has sent nothing for the stall time, and when it sends too
// slowly: a dead or trickling server fails the transfer instead of hanging it.
int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  Transfer& t = *static_cast<Transfer*>(user);
  if (t.aborted->load()) return 1;
  if (t.receiver->keepGoing && !t.receiver->keepGoing()) {
    t.ended = true;
    return 1;
  }
  return t.pace.Keeps(static_cast<uint64_t>(received), std::chrono::steady_clock::now()) ? 0 : 1;
}

}  // namespace

struct HttpClient::State {
  CURL* curl = nullptr;
  std::atomic<bool> aborted{false};
};

HttpClient::HttpClient() : state_(std::make_unique<State>()) {
  InitCurl();
  state_->curl = curl_easy_init();
}

HttpClient::~HttpClient() {
  if (state_->curl) curl_easy_cleanup(state_->curl);
}

namespace {

bool IsHttps(const std::string& url) {
  static constexpr char kScheme[] = "https://";
  if (url.size() < sizeof kScheme - 1) return false;
  for (size_t i = 0; i + 1 < sizeof kScheme; ++i) {
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return false;
  }
  return true;
}

}  // namespace

void HttpClient::Abort() { state_->aborted = true; }

HttpResult HttpClient::Get(const std::string& url, const HttpLimits& limits, const HttpReceiver& receiver,
                           const std::vector<std::string>& extraHeaders) {
  CURL* curl = state_->curl;
  state_->aborted = false;
  HeaderList headers;
  if (!curl || !ApplyRequestSettings(curl, limits, extraHeaders, headers)) return HttpResult::kFailed;
  Transfer transfer{curl, &limits, &receiver, &state_->aborted};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  // What began over TLS never continues in the clear.
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, IsHttps(url) ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  const CURLcode rc = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  if (transfer.ended) return HttpResult::kEnded;
  if (rc != CURLE_OK) return HttpResult::kFailed;
  // An empty body never reaches the write callback: the status is seen here.
  return transfer.Status() ? HttpResult::kComplete : HttpResult::kEnded;
}

}  // namespace platform
