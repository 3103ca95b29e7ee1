// updater_link_bench [files=400] [megabytes=42]   |   updater_link_bench resume [megabytes=200]
//
// A fresh install through DelayProxy (40 ms round trip, 100 Mbit/s shared downstream) against
// the link's floor (archive bytes / bandwidth + two round trips) and against curl fetching the
// same archives with as many parallel transfers, in the same run (best of two each).
// "resume": one large file interrupted at 90% by cancelling the worker, then a second run;
// prints the share of the archive the second run transferred (counted by the relay).
#include <chrono>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/updater/DelayProxy.h"
#include "tests/support/Nginx.h"
#include "tests/support/TempDir.h"
#include "tools/publisher/Publisher.h"
#include "updater/LiveThread.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Bytes that do not compress, so the archives weigh what the files do.
std::string Noise(size_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::string s(n, '\0');
  for (size_t i = 0; i + 8 <= n; i += 8) {
    const uint64_t r = rng();
    std::memcpy(&s[i], &r, 8);
  }
  return s;
}

// Stops the worker once the bytes of a file reach `stopAt` of it (0: never).
class Window : public updater::IProgressWindow {
 public:
  explicit Window(updater::CLiveThread** worker = nullptr, double stopAt = 0) : worker_(worker), stopAt_(stopAt) {}
  void Post(updater::ProgressMessage m) override {
    last = m.id;
    if (stopAt_ > 0 && m.id == updater::WM_UPDATE_BYTES && m.lParam > 0 && m.wParam >= stopAt_ * m.lParam) {
      (*worker_)->SetActive(false);
    }
  }
  uint32_t last = 0;

 private:
  updater::CLiveThread** worker_;
  double stopAt_;
};

std::unique_ptr<updater::CLiveThread> Worker(const std::string& url, const std::string& prog, const std::string& down,
                                             Window& window) {
  updater::UpdaterOptions o{u"Bench", u"1.0", u"10", text::FromUtf8(prog), text::FromUtf8(down), text::FromUtf8(url), false};
  auto worker = updater::CreateWorker(o);
  worker->SetOwner(&window);
  worker->SetActive(true);
  return worker;
}

bool Publish(const std::string& source, const std::string& root, uint64_t& archiveBytes) {
  publisher::PublishOptions options{u"Bench", u"1.0", text::FromUtf8(source), text::FromUtf8(root)};
  const publisher::PublishResult published = publisher::Publish(options);
  archiveBytes = published.archiveBytes;
  return published.ok;
}

// curl's own parallel transfers over the same relay, every archive of the version directory.
double TimeCurl(const std::string& versionDir, const std::string& url, const std::string& out) {
  std::string config;
  for (const auto& e : fs::recursive_directory_iterator(versionDir)) {
    if (!e.is_regular_file()) continue;
    const std::string rel = fs::relative(e.path(), versionDir).string();
    config += "url = \"" + url + "/" + rel + "\"\noutput = \"" + out + "/" + rel + "\"\n";
  }
  testsupport::WriteFileBytes(out + ".cfg", config);
  const std::string command = "curl -sf --create-dirs --parallel --parallel-max " +
                              std::to_string(updater::kTransfersInFlight) + " -K '" + out + ".cfg' 2>/dev/null";
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return Seconds(start);
}

int Link(size_t count, size_t megabytes) {
  testsupport::TempDir work;
  const std::string source = work.Join("program"), root = work.Join("server");
  std::mt19937_64 rng(7);
  std::vector<double> weights(count);
  double sum = 0;
  for (double& w : weights) sum += (w = std::exp(std::uniform_real_distribution<double>(std::log(1e3), std::log(1e6))(rng)));
  for (size_t i = 0; i < count; ++i) {
    const size_t size = std::max<size_t>(16, static_cast<size_t>(weights[i] / sum * (megabytes << 20)));
    testsupport::WriteFileBytes(source + "/dir" + std::to_string(i % 10) + "/file" + std::to_string(i) + ".dat", Noise(size, i));
  }
  uint64_t archiveBytes = 0;
  if (!Publish(source, root, archiveBytes)) return std::fprintf(stderr, "publish failed\n"), 1;
  testsupport::Nginx nginx(root);
  if (!nginx.Started()) return std::fprintf(stderr, "nginx failed\n"), 1;
  bench::LinkShape shape;
  bench::DelayProxy proxy(nginx.Port(), shape);
  const std::string url = "http://127.0.0.1:" + std::to_string(proxy.Port()) + "/zemba/bench";
  double updater = 1e9, curl = 1e9;
  for (int round = 0; round < 2; ++round) {
    fs::remove_all(work.Join("prog"));
    fs::remove_all(work.Join("down"));
    Window window;
    auto worker = Worker(url, work.Join("prog"), work.Join("down"), window);
    const auto start = Clock::now();
    worker->Run();
    if (window.last != updater::WM_UPDATE_DONE) return std::fprintf(stderr, "update failed\n"), 1;
    updater = std::min(updater, Seconds(start));
    fs::remove_all(work.Join("curl"));
    const double took = TimeCurl(root + "/zemba/bench/10", url + "/10", work.Join("curl"));
    if (took < 0) return std::fprintf(stderr, "curl failed\n"), 1;
    curl = std::min(curl, took);
  }
  const double floor = archiveBytes / shape.downBytesPerSecond + 2 * std::chrono::duration<double>(shape.roundTrip).count();
  std::printf("link: %lld ms round trip, %.0f Mbit/s; %zu files, archives %.1f MB; %zu transfers in flight\n",
              static_cast<long long>(shape.roundTrip.count()), shape.downBytesPerSecond * 8 / 1e6, count,
              archiveBytes / 1048576.0, updater::kTransfersInFlight);
  std::printf("updater  %8.3f s\ncurl     %8.3f s  (--parallel, same parallelism)\nfloor    %8.3f s\n", updater, curl, floor);
  std::printf("updater/floor    %.3f  (target <= 1.3)\nupdater/curl     %.3f  (target <= 1.2)\n", updater / floor, updater / curl);
  return 0;
}

int Resume(size_t megabytes) {
  testsupport::TempDir work;
  const std::string source = work.Join("program"), root = work.Join("server");
  testsupport::WriteFileBytes(source + "/big.dat", Noise(megabytes << 20, 1));
  uint64_t archiveBytes = 0;
  if (!Publish(source, root, archiveBytes)) return std::fprintf(stderr, "publish failed\n"), 1;
  testsupport::Nginx nginx(root);
  if (!nginx.Started()) return std::fprintf(stderr, "nginx failed\n"), 1;
  bench::DelayProxy proxy(nginx.Port(), bench::LinkShape{std::chrono::milliseconds(0), 1e12});
  const std::string url = "http://127.0.0.1:" + std::to_string(proxy.Port()) + "/zemba/bench";
  updater::CLiveThread* running = nullptr;
  Window stopper(&running, 0.9);
  auto first = Worker(url, work.Join("prog"), work.Join("down"), stopper);
  running = first.get();
  first->Run();
  const uint64_t before = proxy.BytesDown();
  Window window;
  auto second = Worker(url, work.Join("prog"), work.Join("down"), window);
  second->Run();
  const uint64_t again = proxy.BytesDown() - before;
  if (window.last != updater::WM_UPDATE_DONE) return std::fprintf(stderr, "second run failed\n"), 1;
  std::printf("archive %.1f MB; first run stopped at 90%% after %.1f MB; second run received %.1f MB\n",
              archiveBytes / 1048576.0, before / 1048576.0, again / 1048576.0);
  std::printf("second/archive   %.3f  (target <= 0.15)\n", static_cast<double>(again) / archiveBytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "resume") return Resume(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200);
  return Link(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 400, argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 42);
}
