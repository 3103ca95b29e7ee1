// The notice's repair: the updater run on the lobby's own installed version, the window hidden
// while it runs, and what its end means for the notice.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "contract/Contract.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/frame/NoticeRepair.h"
#include "platform/InstanceLock.h"
#include "tests/support/Recorder.h"
#include "tests/support/TempDir.h"

namespace {

using lobby::NoticeRepair;
using lobby::RepairEnd;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

class RecordingFrame : public lobby::IFrameWindow {
 public:
  void ShowWindow(bool visible) override { shows.push_back(visible); }
  void StartTimer(int id, unsigned) override { started.push_back(id); }
  void StopTimer(int id) override { stopped.push_back(id); }
  void EndDialog() override {}
  void OpenWebAddress(const std::string&) override {}
  void PostToMainLoop(std::function<void()>) override {}

  std::vector<bool> shows;
  std::vector<int> started;
  std::vector<int> stopped;
};

std::string VersionRecord(const std::string& name, const std::string& version) {
  return "<?xml version=\"1.0\"?><Update><Software version=\"" + version + "\">" + name +
         "</Software></Update>";
}

class NoticeRepairTest : public ::testing::Test {
 protected:
  NoticeRepairTest() {
    WriteFileBytes(dir_.Join("Config.cfg"),
                   "<Config><LoginServer/><Windows width=\"800\" height=\"600\">m.html</Windows>"
                   "<Domain id=\"1\" corp=\"Acme\"/><UpdateUrl>http://127.0.0.1:9/Files</UpdateUrl>"
                   "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>");
    EXPECT_TRUE(config_.LoadConfig());
    repair_.SetUpdaterLockName(lock_);
  }

  // An updater that waits for the file "go" beside it, then ends with `code`.
  void InstallWaitingUpdater(int code) {
    const std::string path = dir_.Join("Vendrel");
    WriteFileBytes(path, "#!/bin/sh\nwhile [ ! -e '" + dir_.Join("go") + "' ]; do sleep 0.05; done\nexit " +
                             std::to_string(code) + "\n");
    ::chmod(path.c_str(), 0755);
  }
  // Ticks until the repair reports its end (about twenty seconds at most).
  std::optional<RepairEnd> TickUntilEnd() {
    for (int i = 0; i < 400; ++i) {
      if (std::optional<RepairEnd> end = repair_.OnTick()) return end;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
  }

  TempDir dir_;
  TempDir cache_;
  lobby::ClientConfig config_{dir_.WPath(), dir_.Join("p.ini")};
  RecordingFrame frame_;
  NoticeRepair repair_{frame_, config_, cache_.WPath()};
  std::string lock_ = "Global\\NoticeRepairTest_" + std::to_string(::getpid());
};

TEST(RepairEndTest, OnlyAnInstallMayBringTheModuleBackAndOnlyAFailedRunIsWorthRetrying) {
  using contract::UpdaterExit;
  EXPECT_EQ(lobby::RepairEndFor(static_cast<int>(UpdaterExit::kInstalled)), RepairEnd::kInstalled);
  EXPECT_EQ(lobby::RepairEndFor(static_cast<int>(UpdaterExit::kFailed)), RepairEnd::kRetry);
  EXPECT_EQ(lobby::RepairEndFor(std::nullopt), RepairEnd::kRetry);  // killed: it never said
  EXPECT_EQ(lobby::RepairEndFor(static_cast<int>(UpdaterExit::kNothingToDo)), RepairEnd::kReinstall);
  EXPECT_EQ(lobby::RepairEndFor(static_cast<int>(UpdaterExit::kRefused)), RepairEnd::kReinstall);
  EXPECT_EQ(lobby::RepairEndFor(static_cast<int>(UpdaterExit::kNotRun)), RepairEnd::kReinstall);
  EXPECT_EQ(lobby::RepairEndFor(77), RepairEnd::kReinstall);
}

TEST_F(NoticeRepairTest, StartsTheUpdaterOnTheLobbysInstalledVersionWithoutRestart) {
  ASSERT_TRUE(testsupport::InstallRecorder(dir_.Join("Vendrel")));
  WriteFileBytes(dir_.Join("Update.cfg"), VersionRecord("Quorvane", "1.0.7"));
  ASSERT_TRUE(repair_.Start());
  const std::vector<std::string> record = testsupport::WaitForRecord(dir_.Join("Vendrel"));
  const std::vector<std::string> expected{"Vendrel", "-name", "Quorvane", "-number", "1.0.7",
                                          "-prog", dir_.Path(), "-down", cache_.Join("Acme/Quorvane"),
                                          "-http", "http://127.0.0.1:9/files/acme/quorvane"};
  ASSERT_GE(record.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(record.begin() + 1, record.end()), expected);
  EXPECT_EQ(frame_.shows, std::vector<bool>{false});
  EXPECT_EQ(frame_.started, std::vector<int>{lobby::kTimerRepairWait});
  EXPECT_TRUE(repair_.Running());
}

TEST_F(NoticeRepairTest, WithoutARecordOfTheLobbyNothingStarts) {
  ASSERT_TRUE(testsupport::InstallRecorder(dir_.Join("Vendrel")));
  EXPECT_FALSE(repair_.Start());  // no Update.cfg
  WriteFileBytes(dir_.Join("Update.cfg"), VersionRecord("DemoGame", "1.0.7"));
  EXPECT_FALSE(repair_.Start());  // a record of another program
  WriteFileBytes(dir_.Join("Update.cfg"), VersionRecord("Quorvane", ""));
  EXPECT_FALSE(repair_.Start());  // a record without a version
  EXPECT_FALSE(repair_.Running());
  EXPECT_TRUE(frame_.shows.empty());
  EXPECT_TRUE(frame_.started.empty());
  ::usleep(300 * 1000);
  EXPECT_NE(::access((dir_.Join("Vendrel") + ".record").c_str(), F_OK), 0) << "an updater was started";
}

TEST_F(NoticeRepairTest, AnUpdaterThatCannotStartIsNoRepair) {
  WriteFileBytes(dir_.Join("Update.cfg"), VersionRecord("Quorvane", "1.0.7"));
  EXPECT_FALSE(repair_.Start());  // no Vendrel beside the lobby
  WriteFileBytes(dir_.Join("Vendrel"), "not a program");
  EXPECT_FALSE(repair_.Start());  // not executable
  EXPECT_FALSE(repair_.Running());
  EXPECT_TRUE(frame_.shows.empty());
}

TEST_F(NoticeRepairTest, TheWindowComesBackWhenTheUpdaterEndsWithItsOutcome) {
  InstallWaitingUpdater(static_cast<int>(contract::UpdaterExit::kNothingToDo));
  WriteFileBytes(dir_.Join("Update.cfg"), VersionRecord("Quorvane", "1.0.7"));
  ASSERT_TRUE(repair_.Start());
  EXPECT_FALSE(repair_.OnTick());  // still waiting
  EXPECT_EQ(frame_.shows, std::vector<bool>{false});
  EXPECT_TRUE(frame_.stopped.empty());
  WriteFileBytes(dir_.Join("go"), "");
  EXPECT_EQ(TickUntilEnd(), RepairEnd::kReinstall);
  EXPECT_EQ(frame_.shows, (std::vector<bool>{false, true}));
  EXPECT_EQ(frame_.stopped, std::vector<int>{lobby::kTimerRepairWait});
  EXPECT_FALSE(repair_.Running());
}

TEST_F(NoticeRepairTest, AnotherUpdaterHoldingTheLockKeepsTheWindowHidden) {
  InstallWaitingUpdater(static_cast<int>(contract::UpdaterExit::kInstalled));
  WriteFileBytes(dir_.Join("Update.cfg"), VersionRecord("Quorvane", "1.0.7"));
  WriteFileBytes(dir_.Join("go"), "");
  platform::InstanceLock other;
  ASSERT_TRUE(other.Acquire(lock_));
  ASSERT_TRUE(repair_.Start());
  ::usleep(500 * 1000);
  EXPECT_FALSE(repair_.OnTick());
  EXPECT_EQ(frame_.shows, std::vector<bool>{false});
  other.Release();
  EXPECT_EQ(TickUntilEnd(), RepairEnd::kInstalled);
  EXPECT_EQ(frame_.shows, (std::vector<bool>{false, true}));
}

}  // namespace
