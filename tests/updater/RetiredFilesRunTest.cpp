// Retiring files through the real updater: version 1.0.1, then 1.0.2 which drops some of its
// files, served as a publisher would serve both.
#include <gtest/gtest.h>

#include <filesystem>

#include "contract/UpdaterState.h"
#include "platform/AtomicFile.h"
#include "tests/updater/UpdateFixture.h"
#include "updater/InstalledFiles.h"
#include "updater/InstalledRelease.h"
#include "updater/RetiredFiles.h"
#include "platform/Paths.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

class RetiredRun : public ServedInstall {
 protected:
  // 1.0.1 installed by the updater, then the player's own doings.
  void InstallFirstRelease() {
    Publish("/game", "101",
            {{"", "game.exe", "game 1"}, {"", "Update.cfg", "1.0.1"}, {"data", "old.pak", "old pak"},
             {"data", "edited.ini", "defaults"}, {"", "readme.txt", "read me"},
             {"data", "same.pak", "in both releases"}})
        .ServeOn(server);
    auto first = install.Worker(server.BaseUrl() + "/game", u"1.0.1");
    first->Run();
    ASSERT_EQ(first->Outcome(), contract::UpdaterExit::kInstalled);
    WriteFileBytes(install.prog + "/data/edited.ini", "the player's settings");
    WriteFileBytes(install.prog + "/data/save1.sav", "the player's save");
  }
  // 1.0.2 changes the game and the version record, keeps one file as it was, drops the rest.
  void ServeSecondRelease() {
    PublishAndServe({{"", "game.exe", "game 2"}, {"", "Update.cfg", "1.0.2"}, {"data", "new.pak", "new pak"},
                     {"data", "same.pak", "in both releases"}});
  }
  bool Exists(const std::string& relative) const { return fs::exists(fs::symlink_status(install.prog + "/" + relative)); }
  std::optional<std::vector<InstalledFile>> FilesRecord() const {
    return ReadInstalledFiles(text::FromUtf8(install.state), text::FromUtf8(install.prog));
  }
};

TEST_F(RetiredRun, UpdateRemovesDroppedFilesAndKeepsThePlayers) {
  InstallFirstRelease();
  ServeSecondRelease();
  auto worker = Worker();
  worker->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed("game.exe"), "game 2");
  EXPECT_EQ(Installed("data/new.pak"), "new pak");
  EXPECT_EQ(Installed("data/same.pak"), "in both releases") << "current, so not fetched, but still the release's";
  EXPECT_FALSE(Exists("data/old.pak"));
  EXPECT_FALSE(Exists("readme.txt"));
  EXPECT_EQ(Installed("data/edited.ini"), "the player's settings");
  EXPECT_EQ(Installed("data/save1.sav"), "the player's save");
  const auto record = FilesRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->size(), 4u) << "the record now names 1.0.2's files, fetched or not";
}

TEST_F(RetiredRun, InterruptedBeforeTheRecordRetiresOnTheNextRun) {
  InstallFirstRelease();
  ServeSecondRelease();
  {
    // Installed, then killed: the records still name 1.0.1, the dropped files are all there.
    auto worker = Worker();
    ASSERT_TRUE(worker->CheckUpdate());
    ASSERT_TRUE(worker->DownloadUpdate());
    ASSERT_TRUE(worker->InstallUpdate());
  }
  EXPECT_EQ(Installed("game.exe"), "game 2");
  EXPECT_TRUE(Exists("data/old.pak"));
  ASSERT_TRUE(FilesRecord());
  EXPECT_EQ(FilesRecord()->size(), 6u);
  auto again = Worker();
  again->Run();
  EXPECT_EQ(again->Outcome(), contract::UpdaterExit::kNothingToDo);
  EXPECT_FALSE(Exists("data/old.pak"));
  EXPECT_FALSE(Exists("readme.txt"));
  EXPECT_EQ(Installed("data/save1.sav"), "the player's save");
  EXPECT_EQ(Installed("data/same.pak"), "in both releases");
  EXPECT_EQ(FilesRecord()->size(), 4u);
}

TEST_F(RetiredRun, RecordOfAnEarlierUpdaterWithoutFilesRetiresNothing) {
  WriteFileBytes(install.prog + "/game.exe", "game 1");
  WriteFileBytes(install.prog + "/data/old.pak", "old pak");
  // What an updater from before the files record left: the signed-release record alone.
  fs::create_directories(install.state);
  ASSERT_TRUE(WriteInstalledRelease(text::FromUtf8(install.state), text::FromUtf8(install.prog),
                                    {u"Game", u"1.0.1", "1600000000", std::string(64, 'a')}));
  ServeSecondRelease();
  auto worker = Worker();
  worker->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed("data/old.pak"), "old pak");
  EXPECT_TRUE(FilesRecord()) << "from now on the files are known";
}

TEST_F(RetiredRun, NoRecordRetiresNothing) {
  WriteFileBytes(install.prog + "/data/old.pak", "old pak");
  ServeSecondRelease();
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed("data/old.pak"), "old pak");
}

TEST_F(RetiredRun, AFailedUpdateRetiresNothingAndKeepsTheOldRecord) {
  InstallFirstRelease();
  ServeSecondRelease();
  server.Set("/game/102/data/new.pak.102", HttpResponse::Status(404));
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_EQ(Installed("data/old.pak"), "old pak");
  ASSERT_TRUE(FilesRecord());
  EXPECT_EQ(FilesRecord()->size(), 6u);
}

// --- the record itself -------------------------------------------------------------------------

class FilesRecordTest : public ::testing::Test {
 protected:
  TempDir dir;
  text::WString state = text::FromUtf8(dir.Join("state"));
  text::WString prog = text::FromUtf8(dir.Join("prog"));
  void SetUp() override {
    fs::create_directories(dir.Join("state"));
    fs::create_directories(dir.Join("prog"));
  }
  std::string RecordFile() const { return text::ToUtf8(contract::StateFileFor(state, "files", prog)); }
};

TEST_F(FilesRecordTest, KeepsEveryFileAsListed) {
  const std::vector<InstalledFile> files = {{u"game.exe", 4, u"1A2B3C4D"}, {u"数据\\存档 1.dat", 0, u"00000000"}};
  ASSERT_TRUE(WriteInstalledFiles(state, prog, files));
  EXPECT_EQ(ReadInstalledFiles(state, prog), files);
}

TEST_F(FilesRecordTest, ARecordNamingAnotherDirectoryIsNotRead) {
  ASSERT_TRUE(WriteInstalledFiles(state, prog, {{u"a", 1, u"1"}}));
  std::string bytes = ReadFileBytes(RecordFile());
  bytes.replace(0, bytes.find('\n'), "prog=/somewhere/else");
  ASSERT_TRUE(WriteFileBytes(RecordFile(), bytes));
  EXPECT_FALSE(ReadInstalledFiles(state, prog));
}

TEST_F(FilesRecordTest, AMalformedLineSpoilsTheWholeRecord) {
  ASSERT_TRUE(WriteInstalledFiles(state, prog, {{u"a", 1, u"1"}}));
  for (const char* bad : {"x\t1\ta\n", "-1\t1\ta\n", "1\t1\n", "1\t\ta\n"}) {
    ASSERT_TRUE(WriteFileBytes(RecordFile(), ReadFileBytes(RecordFile()).substr(0, ReadFileBytes(RecordFile()).find('\n') + 1) + bad));
    EXPECT_FALSE(ReadInstalledFiles(state, prog)) << bad;
  }
}

TEST_F(FilesRecordTest, AHostileRecordReachesNothingOutsideTheProgramDirectory) {
  const std::string outside = dir.Join("outside.txt");
  WriteFileBytes(outside, "bait");
  const std::string crc = CrcOf("bait");
  std::string record = "prog=" + text::ToUtf8(platform::CanonicalDirectory(prog)) + "\n";
  // Overlong and percent-encoded dots, slashes of both kinds, the file's own absolute path.
  for (const std::string& path : {std::string("\xC0\xAE\xC0\xAE\\outside.txt"), std::string("%2e%2e\\outside.txt"),
                                  std::string("..\\outside.txt"), std::string("../outside.txt"), outside}) {
    record += "4\t" + crc + "\t" + path + "\n";
  }
  ASSERT_TRUE(WriteFileBytes(RecordFile(), record));
  const auto read = ReadInstalledFiles(state, prog);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->size(), 5u);
  EXPECT_TRUE(RemoveRetiredFiles(prog, *read, {}).removed.empty());
  EXPECT_EQ(ReadFileBytes(outside), "bait");
}

TEST_F(FilesRecordTest, APathThatCannotStayOnOneLineIsNotWritten) {
  EXPECT_FALSE(WriteInstalledFiles(state, prog, {{u"a\nb", 1, u"1"}}));
  EXPECT_FALSE(WriteInstalledFiles(state, prog, {{u"a\tb", 1, u"1"}}));
}

}  // namespace
}  // namespace updater
