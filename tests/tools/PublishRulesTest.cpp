// What the publisher refuses before it writes anything: names the lobby would not take,
// versions of the wrong shape, versions clients would not see as newer, a folder another
// version uses, and a second publication of a version.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PublishRun.h"

namespace fs = std::filesystem;
using publishtest::RunResult;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class PublishRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/Game"), "game"));
    fs::create_directories(dir_.Join("srv"));
  }

  RunResult Publish(const std::string& version, std::vector<std::string> extra = {}, const std::string& name = "Game") {
    std::vector<std::string> args{"--name", name, "--version", version, "--program", dir_.Join("prog"), "--root",
                                  dir_.Join("srv")};
    args.insert(args.end(), extra.begin(), extra.end());
    return publishtest::RunPublisher(args, dir_.Path());
  }
  std::string Product() const { return dir_.Join("srv/zemba/game"); }
  std::string Announced() const { return ReadFileBytes(Product() + "/UpdateVersion.xml"); }

  testsupport::TempDir dir_;
};

TEST_F(PublishRulesTest, VersionsOfAnyOtherShapeAreRefusedWithTheRule) {
  const std::vector<std::string> refused{"v2",  "1.0 beta", "1.0.0.0.0.1", "1.0.0.0.0", "01.2", "1.02",
                                         "1..2", "1.",      ".1",          "-1",        "1,2",  "１.2",
                                         "1.2.3." + std::string(30, '4')};
  for (const std::string& version : refused) {
    RunResult run = Publish(version);
    EXPECT_EQ(run.exitCode, 1) << version;
    EXPECT_NE(run.err.find("1 to 4 parts of digits"), std::string::npos) << version << ": " << run.err;
  }
  EXPECT_EQ(Publish("").exitCode, 2) << "an empty value is a missing option";
  EXPECT_TRUE(fs::is_empty(dir_.Join("srv")));
  const std::vector<std::string> accepted{"0", "1", "1.0", "10.0.0.1", "0.0.0.0", "2." + std::string(30, '9')};
  for (const std::string& version : accepted) {
    RunResult run = Publish(version, {"--force"});
    EXPECT_EQ(run.exitCode, 0) << version << ": " << run.err;
  }
}

TEST_F(PublishRulesTest, VersionThatSortsBeforeTheHighestAsTextIsRefusedUnlessForced) {
  ASSERT_EQ(Publish("1.0.9").exitCode, 0);
  RunResult run = Publish("1.0.10");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("1.0.10 sorts before 1.0.9"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("would not see it as newer"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Product() + "/1010"));
  EXPECT_EQ(Announced(), publishtest::VersionDocument("Game", "1.0.9"));

  RunResult forced = Publish("1.0.10", {"--force"});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_TRUE(fs::exists(Product() + "/1010/UpdateList.xml.1010"));
  EXPECT_EQ(Publish("1.1").exitCode, 0) << "1.1 sorts after every version published";
}

// The highest version is the one the lists name, not the folder names, which lost the dots.
TEST_F(PublishRulesTest, TheHighestVersionComesFromTheListsNotTheFolderNames) {
  ASSERT_EQ(Publish("9.1").exitCode, 0);
  EXPECT_EQ(Publish("10.0").exitCode, 1) << "\"100\" sorts after \"91\", but 10.0 sorts before 9.1";
  EXPECT_EQ(Publish("9.2").exitCode, 0);
}

TEST_F(PublishRulesTest, VersionSharingAFolderWithAnotherIsRefusedEvenForced) {
  ASSERT_EQ(Publish("1.1.0").exitCode, 0);
  const std::string list = ReadFileBytes(Product() + "/110/UpdateList.xml.110");
  for (const std::vector<std::string>& extra : {std::vector<std::string>{}, {"--force"}}) {
    RunResult run = Publish("11.0", extra);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("would share the folder \"110\" with the published version 1.1.0"), std::string::npos)
        << run.err;
  }
  EXPECT_EQ(ReadFileBytes(Product() + "/110/UpdateList.xml.110"), list);
  EXPECT_EQ(Announced(), publishtest::VersionDocument("Game", "1.1.0"));
}

TEST_F(PublishRulesTest, PublishedVersionIsNeverChangedUnlessForced) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  const auto published = publishtest::Tree(Product() + "/10");
  ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/Game"), "game, changed"));
  RunResult again = Publish("1.0");
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("already published"), std::string::npos) << again.err;
  EXPECT_EQ(publishtest::Tree(Product() + "/10"), published);

  RunResult forced = Publish("1.0", {"--force"});
  ASSERT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_NE(publishtest::Tree(Product() + "/10"), published);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Product())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"10", "UpdateVersion.xml"})) << "no work folder is left behind";
}

// The inputs of the host's own test of its plain-name rule, and more spellings of the same.
TEST_F(PublishRulesTest, ProgramNamesFollowTheHostsPlainNameRule) {
  for (const std::string name : {"Sky Farm", "星际象棋", "象棋 2", "G", "a.b"}) {
    RunResult run = Publish("1.0", {}, name);
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
  }
  const std::vector<std::string> refused{".", "..", "../G", "a/b", "a\\b", "/bin", "a\nb", "a\x01" "b", "del\x7f"};
  for (const std::string& name : refused) {
    RunResult run = Publish("1.0", {}, name);
    EXPECT_EQ(run.exitCode, 1) << name;
    EXPECT_NE(run.err.find("one plain directory name"), std::string::npos) << name << ": " << run.err;
  }
  RunResult tooLong = Publish("1.0", {}, std::string(33, 'n'));
  EXPECT_EQ(tooLong.exitCode, 1);
  EXPECT_NE(tooLong.err.find("32 bytes"), std::string::npos) << tooLong.err;
  EXPECT_EQ(Publish("1.0", {}, std::string(32, 'n')).exitCode, 0);
  EXPECT_FALSE(fs::exists(dir_.Join("srv/g"))) << "\"../G\" must not reach beside the brand's folder";
  EXPECT_FALSE(fs::exists(dir_.Join("srv/zemba/bin")));
}

TEST_F(PublishRulesTest, HelpPrintsTheUsageAndSucceeds) {
  for (const char* help : {"--help", "-h"}) {
    RunResult run = publishtest::RunPublisher({help}, dir_.Path());
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_EQ(run.out.find("usage: zemba-publish"), 0u) << run.out;
    for (const char* form : {"announce --name", "verify --name", "keygen --secret", "--no-announce", "--force"}) {
      EXPECT_NE(run.out.find(form), std::string::npos) << form;
    }
  }
}

TEST_F(PublishRulesTest, UnknownRepeatedOrMissingOptionsAreUsageErrors) {
  EXPECT_EQ(Publish("1.0", {"--bogus"}).exitCode, 2);
  EXPECT_EQ(Publish("1.0", {"--name", "Other"}).exitCode, 2);
  EXPECT_EQ(publishtest::RunPublisher({"announce", "--name", "Game", "--version", "1.0"}, dir_.Path()).exitCode, 2);
  EXPECT_EQ(publishtest::RunPublisher({"verify", "--name", "Game", "--version", "1.0"}, dir_.Path()).exitCode, 2);
  EXPECT_EQ(publishtest::RunPublisher({"announce", "--name", "Game", "--version", "1.0", "--root", dir_.Join("srv"),
                                       "--sign", "x"},
                                      dir_.Path())
                .exitCode,
            2);
  EXPECT_TRUE(fs::is_empty(dir_.Join("srv")));
}

}  // namespace
