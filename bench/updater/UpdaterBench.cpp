// updater_bench [megabytes=200] [files=2000] [updater|many]
// (with a third argument: one round of the updater and the floor only, or only the check of
// 100,000 files, for profiling)
//
// Publishes a generated program, serves it with nginx on 127.0.0.1 and times, in one run:
//   updater   the worker's whole procedure, fresh install;
//   signed    the same with a trusted key: the list's signature and every archive's hash checked;
//   baseline  a shell script doing the same with the curl and unzip commands, file by file;
//   floor     one process inflating every archive from disk to disk;
//   check     CheckUpdate with every file current, against cksum over the same files;
//   many      the same check for a program of 100,000 small files.
#include <sys/stat.h>
#include <unzip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/Nginx.h"
#include "tests/support/TempDir.h"
#include "text/CodePage.h"
#include "tools/publisher/KeyFiles.h"
#include "tools/publisher/Publisher.h"
#include "tools/publisher/SingleFileZip.h"
#include "updater/Crc32.h"
#include "updater/LiveThread.h"
#include "updater/TrustedKeys.h"
#include "updater/UpdateList.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct GeneratedFile {
  std::string relative;
  size_t size;
};

// Sizes spread evenly on a log scale from a few bytes to several megabytes, scaled so that
// they add up to the wanted total.
std::vector<GeneratedFile> PlanFiles(size_t count, size_t totalBytes) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> exponent(std::log(8.0), std::log(8.0 * 1024 * 1024));
  std::vector<double> raw(count);
  double sum = 0;
  for (double& r : raw) sum += (r = std::exp(exponent(rng)));
  std::vector<GeneratedFile> files;
  for (size_t i = 0; i < count; ++i) {
    const size_t size = std::max<size_t>(1, static_cast<size_t>(raw[i] / sum * static_cast<double>(totalBytes)));
    files.push_back({"dir" + std::to_string(i % 20) + "/sub" + std::to_string(i % 7) + "/file" + std::to_string(i) + ".dat", size});
  }
  return files;
}

// Text-like bytes: words from a small vocabulary with numbers mixed in, so deflate has real
// work to do (roughly 3:1) without the data being trivial.
std::string Content(size_t size, uint64_t seed) {
  static const char* kWords[] = {"update ", "lobby ", "version ", "archive ", "player ", "server ", "map ",
                                 "texture ", "sound ", "level ", "score ", "\n", "config ", "zemba "};
  std::mt19937_64 rng(seed);
  std::string s;
  s.reserve(size + 16);
  while (s.size() < size) {
    const uint64_t r = rng();
    s += kWords[r % 14];
    if ((r >> 8) % 3 == 0) s += std::to_string((r >> 16) % 100000) + ' ';
  }
  s.resize(size);
  return s;
}

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Remembers when the procedure reached its phases: list fetched, downloads begun, install begun.
class CountingWindow : public updater::IProgressWindow {
 public:
  void Post(updater::ProgressMessage m) override {
    last = m.id;
    if (m.id == updater::WM_UPDATE_STEP && m.wParam == 2) compare = Clock::now();
    if (m.id == updater::WM_UPDATE_STEP && m.wParam == 3 && download == Clock::time_point()) download = Clock::now();
    if (m.id == updater::WM_UPDATE_STEP && m.wParam == 65) install = Clock::now();
  }
  uint32_t last = 0;
  Clock::time_point compare, download, install;
};

std::unique_ptr<updater::CLiveThread> Worker(const std::string& url, const std::string& prog, const std::string& down,
                                             CountingWindow& window) {
  updater::UpdaterOptions o{u"Bench", u"1.0", u"10", text::FromUtf8(prog), text::FromUtf8(down), text::FromUtf8(url), false};
  auto worker = updater::CreateWorker(o);
  worker->SetOwner(&window);
  worker->SetActive(true);
  return worker;
}

// Every archive of the version directory inflated to a file of the same relative name.
bool InflateAll(const std::string& versionDir, const std::string& out) {
  std::vector<char> buffer(1 << 16);
  for (const auto& e : fs::recursive_directory_iterator(versionDir)) {
    if (!e.is_regular_file() || e.path().extension() == ".sig") continue;  // the list's signature is no zip
    const fs::path target = fs::path(out) / fs::relative(e.path(), versionDir);
    fs::create_directories(target.parent_path());
    unzFile zip = unzOpen64(e.path().c_str());
    if (!zip || unzGoToFirstFile(zip) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) return false;
    FILE* f = std::fopen(target.c_str(), "wb");
    int n;
    while (f && (n = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
      std::fwrite(buffer.data(), 1, static_cast<size_t>(n), f);
    }
    if (f) std::fclose(f);
    unzCloseCurrentFile(zip);
    unzClose(zip);
  }
  return true;
}

// The per-file script: curl each archive, unzip it, move it into place.
std::string BaselineScript(const std::vector<GeneratedFile>& files, const std::string& url, const std::string& dir) {
  std::string s = "set -e\nmkdir -p " + Quote(dir) + "\ncd " + Quote(dir) + "\nmkdir -p down prog\n";
  s += "curl -sf -o down/UpdateList.xml.zip " + Quote(url + "/10/UpdateList.xml.10") + "\n";
  s += "unzip -p down/UpdateList.xml.zip > down/UpdateList.xml\n";
  for (const GeneratedFile& f : files) {
    const std::string parent = fs::path(f.relative).parent_path();
    s += "mkdir -p down/" + parent + " prog/" + parent + "\n";
    s += "curl -sf -o down/" + f.relative + ".zip " + Quote(url + "/10/" + f.relative + ".10") + "\n";
    s += "unzip -p down/" + f.relative + ".zip > down/" + f.relative + "\n";
    s += "mv -f down/" + f.relative + " prog/" + f.relative + "\n";
  }
  return s;
}

// A program of `count` small files, all installed, and its zipped list under the server root
// (the archives are not needed: nothing is out of date). Returns the list archive's size.
size_t WriteManyFiles(size_t count, const std::string& prog, const std::string& versionDir) {
  updater::UpdateList list;
  for (size_t i = 0; i < count; ++i) {
    const std::string dir = "d" + std::to_string(i % 100), name = "f" + std::to_string(i) + ".dat";
    const std::string data = Content(200 + i % 1800, i);
    testsupport::WriteFileBytes(prog + "/" + dir + "/" + name, data);
    updater::FileRecord r;
    r.fileName = name;
    r.filePath = dir;
    r.fileCrc = text::ToUtf8(updater::CrcText(updater::Crc32(data.data(), data.size())));
    r.fileLen = static_cast<int32_t>(data.size());
    r.compressName = name + ".10";
    r.compressPath = dir;
    r.compressCrc = "0";
    r.compressLen = 1;
    list.Add(r);
  }
  fs::create_directories(versionDir);
  publisher::ZipItemSource item{"UpdateList.xml", list.Print(), 0, 0644};
  const std::string archive = versionDir + "/UpdateList.xml.10";
  if (!publisher::WriteSingleFileZip(archive, item)) return 0;
  return static_cast<size_t>(fs::file_size(archive));
}

// Best of three: the updater's check of every installed file against cksum over the same files.
bool TimeManyFiles(const std::string& url, const std::string& prog, const std::string& down, double& check,
                   double& list, double& cksum) {
  check = cksum = 1e9;
  for (int i = 0; i < 3; ++i) {
    CountingWindow w;
    auto worker = Worker(url, prog, down, w);
    const Clock::time_point start = Clock::now();
    if (worker->CheckUpdate()) return false;  // work left: something did not match
    if (Seconds(start) < check) {
      check = Seconds(start);
      list = std::chrono::duration<double>(w.compare - start).count();
    }
    const Clock::time_point again = Clock::now();
    Run("cd " + Quote(prog) + " && find . -type f -print0 | xargs -0 cksum > /dev/null");
    cksum = std::min(cksum, Seconds(again));
  }
  return true;
}

// The check of a program of 100,000 current files against cksum, printed as a ratio.
int ManyFiles(const testsupport::TempDir& work, const std::string& root, const std::string& baseUrl) {
  constexpr size_t kManyFiles = 100000;
  const size_t listBytes = WriteManyFiles(kManyFiles, work.Join("many"), root + "/zemba/many/10");
  double check = 0, list = 0, cksum = 0;
  if (listBytes == 0 || !TimeManyFiles(baseUrl + "/zemba/many", work.Join("many"), work.Join("down-many"), check,
                                       list, cksum)) {
    return std::fprintf(stderr, "check of %zu files failed\n", kManyFiles), 1;
  }
  std::printf("many     %8.3f s  (%zu current files: list %.3f s, comparison %.3f s; list archive %.1f MB)\n"
              "cksum    %8.3f s\nmany/cksum       %.3f  (target <= 1.1)\n",
              check, kManyFiles, list, check - list, listBytes / 1048576.0, cksum, check / cksum);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
  const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2000;
  testsupport::TempDir work;
  const std::string source = work.Join("program"), root = work.Join("server");
  const std::vector<GeneratedFile> files = PlanFiles(count, megabytes << 20);
  size_t total = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    testsupport::WriteFileBytes(source + "/" + files[i].relative, Content(files[i].size, i));
    total += files[i].size;
  }
  // One signed release serves both runs: without a trusted key the updater ignores the signature.
  const std::string secret = work.Join("keys/secret.key"), publicKey = work.Join("keys/UpdateKeys.pub");
  fs::create_directories(work.Join("keys"));
  if (publisher::MakeKeyFiles(secret, publicKey)) return std::fprintf(stderr, "keygen failed\n"), 1;
  const updater::UpdateTrust trust = updater::ParseTrustedKeys(testsupport::ReadFileBytes(publicKey));
  fs::create_directories(work.Join("state"));
  publisher::PublishOptions options{u"Bench", u"1.0", text::FromUtf8(source), text::FromUtf8(root)};
  options.secretKeyFile = text::FromUtf8(secret);
  publisher::PublishResult published = publisher::Publish(options);
  if (!published.ok) return std::fprintf(stderr, "publish failed: %s\n", text::ToUtf8(published.message).c_str()), 1;
  testsupport::Nginx nginx(root);
  if (!nginx.Started()) return std::fprintf(stderr, "nginx failed: %s\n", nginx.ErrorText().c_str()), 1;
  const std::string url = nginx.BaseUrl() + "/zemba/bench";
  std::printf("program: %zu files, %.1f MB; archives %.1f MB\n", files.size() + 1, total / 1048576.0,
              published.archiveBytes / 1048576.0);

  if (argc > 3 && std::string(argv[3]) == "many") return ManyFiles(work, root, nginx.BaseUrl());

  // The machine is shared: the updater and the floor alternate, three times each, and the best
  // time of each counts.
  auto span = [](Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); };
  double updater = 1e9, floor = 1e9, signedRun = 1e9;
  Clock::time_point start;
  for (int round = 0; round < (argc > 3 ? 1 : 3); ++round) {
    for (const bool withKey : {false, true}) {
      fs::remove_all(work.Join("prog"));
      CountingWindow window;
      auto worker = Worker(url, work.Join("prog"), work.Join("down"), window);
      if (withKey) worker->SetTrust(trust, text::FromUtf8(work.Join("state")));
      start = Clock::now();
      worker->Run();
      const double took = Seconds(start);
      if (window.last != updater::WM_UPDATE_DONE) return std::fprintf(stderr, "update failed\n"), 1;
      std::printf("%s %.3f s: list %.3f s, compare %.3f s, download %.3f s, install %.3f s\n",
                  withKey ? "signed " : "updater", took, span(start, window.compare),
                  span(window.compare, window.download), span(window.download, window.install),
                  Seconds(window.install) - (Seconds(start) - took));
      (withKey ? signedRun : updater) = std::min(withKey ? signedRun : updater, took);
    }
    fs::remove_all(work.Join("floor"));
    start = Clock::now();
    if (!InflateAll(root + "/zemba/bench/10", work.Join("floor"))) return std::fprintf(stderr, "floor failed\n"), 1;
    floor = std::min(floor, Seconds(start));
  }
  if (argc > 3) {
    return std::printf("updater/floor    %.3f\nsigned/updater   %.3f\n", updater / floor, signedRun / updater), 0;
  }

  testsupport::WriteFileBytes(work.Join("baseline.sh"), BaselineScript(files, url, work.Join("baseline")));
  start = Clock::now();
  if (!Run("bash " + Quote(work.Join("baseline.sh")))) return std::fprintf(stderr, "baseline failed\n"), 1;
  const double baseline = Seconds(start);

  // Best of five for both sides of the check; the files are in the page cache for both.
  double check = 1e9, cksum = 1e9, checkList = 0;
  for (int i = 0; i < 5; ++i) {
    CountingWindow w;
    auto worker = Worker(url, work.Join("prog"), work.Join("down-check"), w);
    start = Clock::now();
    const bool work_left = worker->CheckUpdate();
    if (Seconds(start) < check) {
      check = Seconds(start);
      checkList = span(start, w.compare);
    }
    if (work_left) return std::fprintf(stderr, "check found work\n"), 1;
    start = Clock::now();
    Run("cd " + Quote(work.Join("prog")) + " && find . -type f -print0 | xargs -0 cksum > /dev/null");
    cksum = std::min(cksum, Seconds(start));
  }


  std::printf("load average: %s", testsupport::ReadFileBytes("/proc/loadavg").c_str());
  std::printf("updater  %8.3f s\nsigned   %8.3f s  (a trusted key: signature and archive hashes checked)\n"
              "baseline %8.3f s  (curl + unzip per file)\nfloor    %8.3f s  (inflate from disk)\n",
              updater, signedRun, baseline, floor);
  std::printf("check    %8.3f s  (list %.3f s, comparison %.3f s)\ncksum    %8.3f s\n", check, checkList,
              check - checkList, cksum);
  std::printf("updater/baseline %.3f  (target <= 0.25)\nupdater/floor    %.3f  (target <= 1.6)\n"
              "signed/updater   %.3f  (target <= 1.1)\ncheck/cksum      %.3f  (target <= 1.1)\n",
              updater / baseline, updater / floor, signedRun / updater, check / cksum);
  return ManyFiles(work, root, nginx.BaseUrl());
  return 0;
}
