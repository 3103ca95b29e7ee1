// Whole updater runs against nginx serving trees made by the publisher, including runs that
// are killed at random moments and then resumed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "contract/Contract.h"
#include "tests/support/Nginx.h"
#include "tests/support/TempDir.h"
#include "tools/publisher/Publisher.h"
#include "updater/HttpDownload.h"
#include "updater/LiveThread.h"
#include "updater/UpdateList.h"

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

struct FileState {
  std::string bytes;
  unsigned mode;
  bool operator==(const FileState&) const = default;
};
using Tree = std::map<std::string, FileState>;

std::ostream& operator<<(std::ostream& os, const FileState& f) {
  return os << f.bytes.size() << " bytes, mode " << std::oct << f.mode << std::dec;
}

Tree ReadTree(const std::string& root) {
  Tree tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); ++it) {
    if (!it->is_regular_file()) continue;
    struct stat st;
    stat(it->path().c_str(), &st);
    tree[fs::relative(it->path(), root).string()] = {ReadFileBytes(it->path()), st.st_mode & 07777u};
  }
  return tree;
}

// Deterministic, compressible but not trivial content.
std::string Content(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>("abcdefgh \n"[rng() % 10] + (i % 64 == 0 ? 1 : 0));
  return s;
}

void WriteProgramFile(const std::string& path, const std::string& bytes, unsigned mode = 0644) {
  WriteFileBytes(path, bytes);
  chmod(path.c_str(), mode);
}

class ActiveWindow : public updater::IProgressWindow {
 public:
  void Post(updater::ProgressMessage m) override { last = m.id; }
  uint32_t last = 0;
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(nginx.Started()) << nginx.ErrorText();
  }
  std::string Program(const std::string& version) const { return work.Join("src-" + version); }
  void PublishVersion(const std::string& version) {
    publisher::PublishResult r = publisher::Publish(
        {u"Game", text::FromUtf8(version), text::FromUtf8(Program(version)), text::FromUtf8(root.Path())});
    ASSERT_TRUE(r.ok) << text::ToUtf8(r.message);
    // The release carries the program directory's files and the Update.cfg the publisher made.
    released[version] = ReadTree(Program(version));
    released[version]["Update.cfg"] = {ReadFileBytes(root.Join("zemba/game/UpdateVersion.xml")), 0644};
  }
  std::unique_ptr<updater::CLiveThread> Worker(const std::string& version, updater::IProgressWindow* window) {
    updater::UpdaterOptions o;
    o.programName = u"Game";
    o.version = text::FromUtf8(version);
    o.versionKey = contract::VersionKey(o.version);
    o.programDir = text::FromUtf8(prog);
    o.downloadDir = text::FromUtf8(down);
    o.serverUrl = text::FromUtf8(nginx.BaseUrl() + "/zemba/game");
    auto worker = updater::CreateWorker(o);
    fs::create_directories(state);
    worker->SetTrust(updater::UpdateTrust{}, text::FromUtf8(state));
    worker->SetOwner(window);
    worker->SetActive(true);
    worker->SetTimeouts({2000, 2000});
    worker->SetLogInterval(std::chrono::milliseconds(20));
    worker->SetDebugSink([](text::WStringView) {});
    return worker;
  }
  uint32_t RunUpdate(const std::string& version) {
    ActiveWindow window;
    Worker(version, &window)->Run();
    return window.last;
  }
  size_t Requests(const std::string& needle, size_t from = 0) const {
    const std::string log = nginx.AccessLog().substr(from);
    size_t n = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++n;
    return n;
  }

  std::map<std::string, Tree> released;  // by version
  TempDir work;
  TempDir root;
  Nginx nginx{root.Path()};
  std::string prog = work.Join("installed");
  std::string down = work.Join("download");
  std::string state = work.Join("state");  // the updater's records, instead of the user's
};

// Version 1: a few files in sub-directories, an executable, a name with a space and Chinese.
void MakeVersion1(const std::string& dir) {
  WriteProgramFile(dir + "/Game", "#!/bin/sh\nexit 0\n", 0755);
  WriteProgramFile(dir + "/readme.txt", Content(3000, 1));
  WriteProgramFile(dir + "/data/maps/map01.dat", Content(70000, 2));
  WriteProgramFile(dir + "/data/地图 二.dat", Content(12000, 3));
  WriteProgramFile(dir + "/lib/libgame.so", Content(150000, 4), 0755);
}

TEST_F(EndToEnd, FreshInstallEqualsThePublishedProgram) {
  MakeVersion1(Program("1.0"));
  PublishVersion("1.0");
  EXPECT_EQ(RunUpdate("1.0"), updater::WM_UPDATE_DONE);
  EXPECT_EQ(ReadTree(prog), released["1.0"]);
  EXPECT_FALSE(fs::exists(down));
}

TEST_F(EndToEnd, UpdateFetchesOnlyWhatChangedAndNothingToDoFails) {
  MakeVersion1(Program("1.0"));
  PublishVersion("1.0");
  ASSERT_EQ(RunUpdate("1.0"), updater::WM_UPDATE_DONE);
  fs::copy(Program("1.0"), Program("1.1"), fs::copy_options::recursive);
  WriteProgramFile(Program("1.1") + "/readme.txt", Content(3100, 9));
  WriteProgramFile(Program("1.1") + "/data/new/extra.bin", Content(5000, 10));
  PublishVersion("1.1");
  const size_t logStart = nginx.AccessLog().size();
  EXPECT_EQ(RunUpdate("1.1"), updater::WM_UPDATE_DONE);
  EXPECT_EQ(ReadTree(prog), released["1.1"]);
  EXPECT_EQ(Requests("/zemba/game/11/readme.txt.11", logStart), 1u);
  EXPECT_EQ(Requests("/zemba/game/11/data/new/extra.bin.11", logStart), 1u);
  EXPECT_EQ(Requests("/zemba/game/11/Update.cfg.11", logStart), 1u);
  EXPECT_EQ(Requests("/zemba/game/11/lib/libgame.so.11", logStart), 0u);
  EXPECT_EQ(RunUpdate("1.1"), updater::WM_UPDATE_FAILED) << "everything is current";
}

// Kills an update at random moments, then runs it again: every time, the second run must leave
// exactly the published version, and must not fetch again what the log says it already has.
TEST_F(EndToEnd, InterruptedUpdatesResumeToTheExactVersion) {
  const std::string v1 = Program("1.0"), v2 = Program("2.0");
  MakeVersion1(v1);
  PublishVersion("1.0");
  fs::create_directories(v2);
  for (int i = 0; i < 40; ++i) {
    WriteProgramFile(v2 + "/part" + std::to_string(i % 4) + "/file " + std::to_string(i) + ".bin",
                     Content(20000 + 9000 * i, 100 + i), i % 5 == 0 ? 0755 : 0644);
  }
  PublishVersion("2.0");
  ASSERT_EQ(RunUpdate("1.0"), updater::WM_UPDATE_DONE);
  // The player's own file and one of version 1's files the player changed.
  WriteProgramFile(prog + "/save 1.dat", Content(500, 7));
  WriteProgramFile(prog + "/readme.txt", Content(3001, 8));
  const std::string baseline = work.Join("baseline");
  const std::string baselineState = work.Join("baseline-state");
  fs::copy(prog, baseline, fs::copy_options::recursive);
  fs::copy(state, baselineState, fs::copy_options::recursive);
  auto restoreBaseline = [&] {
    for (const std::string& dir : {prog, down, state}) fs::remove_all(dir);
    fs::copy(baseline, prog, fs::copy_options::recursive);
    fs::copy(baselineState, state, fs::copy_options::recursive);
  };

  // How long an undisturbed run takes, to spread the kills over it.
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunUpdate("2.0"), updater::WM_UPDATE_DONE);
  const auto full = std::chrono::steady_clock::now() - start;
  // Files of version 1 that version 2 does not list go, unless the player changed them; the
  // player's own files stay.
  Tree expected = released["2.0"];
  for (const char* kept : {"save 1.dat", "readme.txt"}) expected[kept] = ReadTree(baseline)[kept];
  ASSERT_EQ(ReadTree(prog), expected);

  std::mt19937 rng(20261207);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int resumedWithSkips = 0, runs = 0;
  for (int run = 0; run < 20 && std::chrono::steady_clock::now() < deadline; ++run) {
    restoreBaseline();
    const auto delay = std::chrono::duration_cast<std::chrono::microseconds>(full * 1.2) *
                       std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ActiveWindow window;
      Worker("2.0", &window)->Run();
      _exit(0);
    }
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    // What the log already claims must not be fetched again.
    std::vector<std::string> claimed;
    updater::UpdateList log;
    if (log.Load(text::FromUtf8(down + "/UpdateLog.xml")) && log.Version() == u"2.0") {
      for (auto* e = log.First(); e; e = log.Next()) {
        if (e->Status() == updater::kEntryFetched) {
          claimed.push_back("/zemba/game/20/" + text::ToUtf8(updater::EscapeListPath(e->FilePath())) + "/" +
                            text::ToUtf8(updater::EscapeListPath(e->FileName())) + ".20");
        }
      }
    }
    resumedWithSkips += !claimed.empty();
    ++runs;
    const size_t logStart = nginx.AccessLog().size();
    const uint32_t end = RunUpdate("2.0");
    EXPECT_TRUE(end == updater::WM_UPDATE_DONE || end == updater::WM_UPDATE_FAILED);
    EXPECT_EQ(ReadTree(prog), expected) << "run " << run << " killed after " << delay.count() << " us";
    for (const std::string& path : claimed) EXPECT_EQ(Requests(path, logStart), 0u) << path;
  }
  EXPECT_GE(runs, 5) << "too few interruptions to mean anything";
  std::cout << runs << " interrupted runs, " << resumedWithSkips << " resumed with downloaded entries\n";
}

}  // namespace
