// Publishing without announcing, announcing later, and what announce refuses: a version folder
// that is missing or incomplete, one that holds another version, and (unless forced) a version
// clients would not see as newer than the announced one.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PublishRun.h"

namespace fs = std::filesystem;
using publishtest::RunResult;
using publishtest::VersionDocument;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class PublishAnnounceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/Game"), "game"));
    ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/data/level.map"), std::string(4000, 'l')));
    fs::create_directories(dir_.Join("srv"));
  }

  RunResult Publish(const std::string& version, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--name", "Game", "--version", version, "--program", dir_.Join("prog"), "--root",
                                  dir_.Join("srv")};
    args.insert(args.end(), extra.begin(), extra.end());
    return publishtest::RunPublisher(args, dir_.Path());
  }
  RunResult Announce(const std::string& version, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"announce", "--name", "Game", "--version", version, "--root", dir_.Join("srv")};
    args.insert(args.end(), extra.begin(), extra.end());
    return publishtest::RunPublisher(args, dir_.Path());
  }
  std::string Product() const { return dir_.Join("srv/zemba/game"); }
  std::string Announced() const { return ReadFileBytes(Product() + "/UpdateVersion.xml"); }

  testsupport::TempDir dir_;
};

TEST_F(PublishAnnounceTest, PublishedWithoutAnnouncingThenAnnounced) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  RunResult quiet = Publish("1.1", {"--no-announce"});
  ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
  EXPECT_NE(quiet.out.find("not announced"), std::string::npos) << quiet.out;
  EXPECT_TRUE(fs::exists(Product() + "/11/UpdateList.xml.11"));
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.0"));

  RunResult announced = Announce("1.1");
  ASSERT_EQ(announced.exitCode, 0) << announced.err;
  EXPECT_NE(announced.out.find("announced Game 1.1"), std::string::npos) << announced.out;
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.1"));
}

TEST_F(PublishAnnounceTest, FirstVersionPublishedWithoutAnnouncingWritesNoVersionFile) {
  ASSERT_EQ(Publish("1.0", {"--no-announce"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(Product() + "/UpdateVersion.xml"));
  ASSERT_EQ(Announce("1.0").exitCode, 0);
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.0"));
}

TEST_F(PublishAnnounceTest, VersionThatIsNotPublishedIsNotAnnounced) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  RunResult run = Announce("2.0");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("not published"), std::string::npos) << run.err;
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.0"));
}

// Each fault on its own: a missing archive, a truncated one, a missing list.
TEST_F(PublishAnnounceTest, IncompleteVersionFolderIsNotAnnounced) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  ASSERT_EQ(Publish("1.1", {"--no-announce"}).exitCode, 0);
  const std::string folder = Product() + "/11";
  const std::string archive = folder + "/data/level.map.11";
  const std::string list = folder + "/UpdateList.xml.11";
  const std::string archiveBytes = ReadFileBytes(archive), listBytes = ReadFileBytes(list);
  struct Fault {
    std::string path;
    std::string bytes;  // empty: the file is removed
    std::string said;
  };
  for (const Fault& fault : {Fault{archive, "", "is missing"},
                             Fault{archive, archiveBytes.substr(0, archiveBytes.size() - 1), "bytes, its list says"},
                             Fault{list, "", "holds no readable list"}}) {
    if (fault.bytes.empty()) {
      ASSERT_TRUE(fs::remove(fault.path));
    } else {
      ASSERT_TRUE(WriteFileBytes(fault.path, fault.bytes));
    }
    RunResult run = Announce("1.1");
    EXPECT_EQ(run.exitCode, 1) << fault.said;
    EXPECT_NE(run.err.find(fault.said), std::string::npos) << run.err;
    EXPECT_EQ(Announced(), VersionDocument("Game", "1.0"));
    ASSERT_TRUE(WriteFileBytes(archive, archiveBytes));
    ASSERT_TRUE(WriteFileBytes(list, listBytes));
  }
  EXPECT_EQ(Announce("1.1").exitCode, 0) << "restored, the folder is complete";
}

TEST_F(PublishAnnounceTest, FolderHoldingAnotherVersionIsNotAnnounced) {
  ASSERT_EQ(Publish("1.1.0").exitCode, 0);
  RunResult run = Announce("11.0", {"--force"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("holds Game 1.1.0, not Game 11.0"), std::string::npos) << run.err;
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.1.0"));
}

// Rolling the announcement back to an older release is an explicit choice.
TEST_F(PublishAnnounceTest, OlderVersionIsAnnouncedOnlyWhenForced) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  ASSERT_EQ(Publish("1.1").exitCode, 0);
  RunResult run = Announce("1.0");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("1.0 sorts before 1.1"), std::string::npos) << run.err;
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.1"));
  EXPECT_EQ(Announce("1.1").exitCode, 1) << "already announced";

  RunResult forced = Announce("1.0", {"--force"});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(Announced(), VersionDocument("Game", "1.0"));
}

// A publication that announces checks the announced version too, before writing anything.
TEST_F(PublishAnnounceTest, PublishingRefusesAVersionBelowTheAnnouncedOneBeforeWriting) {
  ASSERT_EQ(Publish("2.0").exitCode, 0);
  fs::remove_all(Product() + "/20");  // the announced version's folder is gone; its name stays announced
  RunResult run = Publish("1.5");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("the announced version"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Product() + "/15"));
  EXPECT_EQ(Publish("1.5", {"--no-announce"}).exitCode, 0) << "not announcing, only the published versions count";
}

}  // namespace
