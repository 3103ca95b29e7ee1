// verify fetches a release through its public address as a client would and reports every
// archive that is not as listed: missing, truncated or corrupted, and a list whose signature
// does not hold when keys are given.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Nginx.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PublishRun.h"

namespace fs = std::filesystem;
using publishtest::RunResult;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

class PublishVerifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(nginx_.Started()) << nginx_.ErrorText();
    ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/Game"), "#!/bin/sh\nexit 0\n"));
    ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/data/地图 一.map"), std::string(30000, 'm')));
    ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/readme.txt"), "read me"));
  }

  RunResult Run(std::vector<std::string> args) { return publishtest::RunPublisher(args, dir_.Path()); }
  RunResult Publish(const std::string& version, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--name", "Game", "--version", version, "--program", dir_.Join("prog"), "--root",
                                  root_.Path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(args);
  }
  RunResult Verify(const std::string& version, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"verify", "--name", "Game", "--version", version, "--url", nginx_.BaseUrl()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(args);
  }
  std::string Folder(const std::string& key) const { return root_.Path() + "/zemba/game/" + key; }
  bool MakeKeys(const std::string& name) {
    return Run({"keygen", "--secret", dir_.Join(name + ".key"), "--public", dir_.Join(name + ".pub")}).exitCode == 0;
  }

  testsupport::TempDir dir_;
  testsupport::TempDir root_;
  testsupport::Nginx nginx_{root_.Path()};
};

TEST_F(PublishVerifyTest, GoodReleaseVerifiesAsAClientFetchesIt) {
  ASSERT_EQ(Publish("1.0", {"--no-announce"}).exitCode, 0);
  RunResult run = Verify("1.0");
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.out.find("verified Game 1.0 at " + nginx_.BaseUrl() + "/zemba/game: 4 archives, "), 0u) << run.out;
  EXPECT_EQ(Lines(run.out), 1u);
  const std::string log = nginx_.AccessLog();
  EXPECT_NE(log.find("GET /zemba/game/10/UpdateList.xml.10?a="), std::string::npos) << log;
  EXPECT_NE(log.find("GET /zemba/game/10/data/%E5%9C%B0%E5%9B%BE%20%E4%B8%80.map.10?a="), std::string::npos) << log;
}

// The address is the lobby's: UpdateUrl, brand word and name, all in lower case.
TEST_F(PublishVerifyTest, AddressIsSpelledAsTheLobbySpellsIt) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  RunResult run = Run({"verify", "--name", "GAME", "--version", "1.0", "--url", nginx_.BaseUrl(), "--corp", "ZEMBA"});
  EXPECT_EQ(run.exitCode, 1) << "the list names the program Game, not GAME";
  EXPECT_NE(run.out.find("/zemba/game/10/UpdateList.xml.10: names Game 1.0"), std::string::npos) << run.out;
}

TEST_F(PublishVerifyTest, MissingTruncatedAndCorruptedArchivesAreEachReported) {
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  const std::string truncated = Folder("10") + "/readme.txt.10";
  const std::string corrupted = Folder("10") + "/data/地图 一.map.10";
  ASSERT_TRUE(fs::remove(Folder("10") + "/Game.10"));
  const std::string short_ = ReadFileBytes(truncated);
  ASSERT_TRUE(WriteFileBytes(truncated, short_.substr(0, short_.size() - 3)));
  std::string bytes = ReadFileBytes(corrupted);
  bytes[bytes.size() / 2] ^= 0x20;
  ASSERT_TRUE(WriteFileBytes(corrupted, bytes));

  RunResult run = Verify("1.0");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Lines(run.out), 3u) << run.out;
  EXPECT_NE(run.out.find("/zemba/game/10/Game.10: not served whole"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("/zemba/game/10/readme.txt.10: " + std::to_string(short_.size() - 3) + " bytes, the list says " +
                         std::to_string(short_.size())),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(".map.10: CRC "), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Game 1.0 at " + nginx_.BaseUrl() + "/zemba/game: 3 faults"), std::string::npos) << run.err;
}

TEST_F(PublishVerifyTest, MissingReleaseIsReported) {
  RunResult run = Verify("2.0");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("/zemba/game/20/UpdateList.xml.20: cannot be fetched"), std::string::npos) << run.out;
}

TEST_F(PublishVerifyTest, SignedReleaseVerifiesOnlyWithTheKeyThatSignedIt) {
  ASSERT_TRUE(MakeKeys("ours"));
  ASSERT_TRUE(MakeKeys("theirs"));
  ASSERT_EQ(Publish("1.0", {"--sign", dir_.Join("ours.key")}).exitCode, 0);
  RunResult good = Verify("1.0", {"--keys", dir_.Join("ours.pub")});
  EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
  EXPECT_NE(good.out.find("signature good"), std::string::npos) << good.out;

  RunResult other = Verify("1.0", {"--keys", dir_.Join("theirs.pub")});
  EXPECT_EQ(other.exitCode, 1);
  EXPECT_NE(other.out.find("UpdateList.xml.10.sig: the list is not signed by a trusted key"), std::string::npos)
      << other.out;

  const std::string sig = Folder("10") + "/UpdateList.xml.10.sig";
  std::string text = ReadFileBytes(sig);
  text[5] = text[5] == 'A' ? 'B' : 'A';
  ASSERT_TRUE(WriteFileBytes(sig, text));
  RunResult tampered = Verify("1.0", {"--keys", dir_.Join("ours.pub")});
  EXPECT_EQ(tampered.exitCode, 1);
  EXPECT_NE(tampered.out.find("UpdateList.xml.10.sig: "), std::string::npos) << tampered.out;
}

TEST_F(PublishVerifyTest, UnsignedReleaseFailsWhenKeysAreGiven) {
  ASSERT_TRUE(MakeKeys("ours"));
  ASSERT_EQ(Publish("1.0").exitCode, 0);
  EXPECT_EQ(Verify("1.0").exitCode, 0);
  RunResult run = Verify("1.0", {"--keys", dir_.Join("ours.pub")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("UpdateList.xml.10.sig: cannot be fetched"), std::string::npos) << run.out;
}

// A list replaced on the server (here by another release's list) no longer matches the
// signature beside it.
TEST_F(PublishVerifyTest, ListRewrittenOnTheServerBreaksTheSignature) {
  ASSERT_TRUE(MakeKeys("ours"));
  ASSERT_EQ(Publish("1.0", {"--sign", dir_.Join("ours.key")}).exitCode, 0);
  ASSERT_TRUE(WriteFileBytes(dir_.Join("prog/readme.txt"), "read me again"));
  ASSERT_EQ(Publish("1.1", {"--sign", dir_.Join("ours.key")}).exitCode, 0);
  fs::copy_file(Folder("11") + "/UpdateList.xml.11", Folder("10") + "/UpdateList.xml.10",
                fs::copy_options::overwrite_existing);
  RunResult run = Verify("1.0", {"--keys", dir_.Join("ours.pub")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("the list is not signed by a trusted key"), std::string::npos) << run.out;
}

}  // namespace
