// The remembered account data: written, read back, damaged, renewed; never lost by accident.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "lobby/config/ClientConfig.h"
#include "tests/support/FifoWriter.h"
#include "tests/support/TempDir.h"

namespace {

using lobby::ClientConfig;
using lobby::UserTagBytes;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// Two login servers, so LoginNode 2 is the largest value kept.
const char* const kConfig =
    "<Config><LoginServer><Server url0=\"a\"/><Server url0=\"b\"/></LoginServer>"
    "<Windows>m.html</Windows><Domain corp=\"Zemba\"/><UpdateUrl>http://u</UpdateUrl>"
    "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>";

class LoginDataTest : public ::testing::Test {
 protected:
  LoginDataTest() { WriteFileBytes(dir_.Join("Config.cfg"), kConfig); }

  std::string ProfilePath() const { return dir_.Join("cfg/Zemba/Quorvane.ini"); }
  void WriteProfile(const std::string& body) { WriteFileBytes(ProfilePath(), body); }
  ClientConfig Loaded() {
    ClientConfig c(dir_.WPath(), ProfilePath());
    EXPECT_TRUE(c.LoadConfig());
    return c;
  }

  TempDir dir_;
};

// The profile is read on the lobby's main loop: a pipe at its name, with nobody ever writing
// to it, must not stall it. A reader that waited would be ended by the alarm, failing the test.
TEST_F(LoginDataTest, AProfileThatIsAPipeIsNotWaitedForAndReadsAsDefaults) {
  ASSERT_TRUE(WriteFileBytes(dir_.Join("cfg/Zemba/keep"), ""));
  ASSERT_EQ(mkfifo(ProfilePath().c_str(), 0600), 0);
  alarm(30);
  ClientConfig c = Loaded();
  alarm(0);
  EXPECT_EQ(c.UserName, u"");
  EXPECT_EQ(c.NetMode, 0);
}

// Config.cfg is read on the lobby's main loop too: a pipe is not waited for, and a file past the
// cap is not read at all.
TEST_F(LoginDataTest, AConfigThatIsAPipeOrTooLargeIsNotRead) {
  ASSERT_EQ(std::remove(dir_.Join("Config.cfg").c_str()), 0);
  testsupport::FifoWriter fifo(dir_.Join("Config.cfg"), kConfig);
  ASSERT_TRUE(fifo.Made());
  ClientConfig piped(dir_.WPath(), ProfilePath());
  EXPECT_FALSE(piped.LoadConfig());
  fifo.Finish();
  ASSERT_EQ(std::remove(dir_.Join("Config.cfg").c_str()), 0);
  std::string padded = kConfig;
  padded.resize(lobby::kMaxConfigBytes, ' ');
  ASSERT_TRUE(WriteFileBytes(dir_.Join("Config.cfg"), padded));
  EXPECT_TRUE(ClientConfig(dir_.WPath(), ProfilePath()).LoadConfig());
  ASSERT_TRUE(WriteFileBytes(dir_.Join("Config.cfg"), padded + " "));
  EXPECT_FALSE(ClientConfig(dir_.WPath(), ProfilePath()).LoadConfig());
}

TEST_F(LoginDataTest, SavedValuesComeBackInTheNextRun) {
  {
    ClientConfig c = Loaded();
    c.UserName = u"张三 <x>";
    c.SaveAccount = 1;
    c.NetMode = 3;
    c.LoginNode = 2;
    c.UserTag = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    c.UserMac = 148133872;
    ASSERT_TRUE(c.SaveLoginData());
  }
  ClientConfig again = Loaded();
  EXPECT_EQ(again.UserName, u"张三 <x>");
  EXPECT_EQ(again.SaveAccount, 1);
  EXPECT_EQ(again.NetMode, 3);
  EXPECT_EQ(again.LoginNode, 2);
  EXPECT_EQ(again.UserTag, (UserTagBytes{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}));
  EXPECT_EQ(again.UserMac, 148133872u);
}

TEST_F(LoginDataTest, FileKeepsTheProfileValueNamesAndHexTag) {
  ClientConfig c = Loaded();
  c.NetMode = 3;
  c.UserTag = {1, 2, 3, 4, 5, 6};
  c.UserMac = 2180413220u;
  ASSERT_TRUE(c.SaveLoginData());
  std::string file = ReadFileBytes(ProfilePath());
  EXPECT_NE(file.find("[LoginData]"), std::string::npos);
  EXPECT_NE(file.find("LoginMode=3\n"), std::string::npos);  // NetMode is stored as "LoginMode"
  EXPECT_NE(file.find("UserTag=010203040506\n"), std::string::npos);
  EXPECT_NE(file.find("UserMac=2180413220\n"), std::string::npos);
}

TEST_F(LoginDataTest, MatchingTagIsKeptEvenIfNotThisMachine) {
  WriteProfile("[LoginData]\nUserTag=010203040506\nUserMac=2180413220\n");
  ClientConfig c = Loaded();
  EXPECT_EQ(c.UserTag, (UserTagBytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(c.UserMac, 2180413220u);
}

TEST_F(LoginDataTest, TagWithWrongCrcIsRenewed) {
  WriteProfile("[LoginData]\nUserTag=010203040506\nUserMac=12345\nUserName=li\n");
  ClientConfig c = Loaded();
  EXPECT_NE(c.UserMac, 12345u);
  EXPECT_EQ(c.UserMac, lobby::UserTagCrc(c.UserTag));
  EXPECT_EQ(c.UserName, u"li");
}

TEST_F(LoginDataTest, TagOfFiveOrSevenBytesIsRenewed) {
  for (const char* tag : {"0102030405", "01020304050607"}) {
    WriteProfile(std::string("[LoginData]\nUserTag=") + tag + "\nUserMac=2180413220\n");
    ClientConfig c = Loaded();
    EXPECT_EQ(c.UserMac, lobby::UserTagCrc(c.UserTag)) << tag;
    EXPECT_NE(c.UserTag, (UserTagBytes{1, 2, 3, 4, 5, 6})) << tag;
  }
}

TEST_F(LoginDataTest, LoginNodeUpToTheServerCountStays) {
  WriteProfile("[LoginData]\nLoginNode=2\n");
  EXPECT_EQ(Loaded().LoginNode, 2);
}

TEST_F(LoginDataTest, LoginNodeBeyondTheServersIsReset) {
  WriteProfile("[LoginData]\nLoginNode=3\n");
  EXPECT_EQ(Loaded().LoginNode, 0);
}

TEST_F(LoginDataTest, NegativeLoginNodeIsReset) {
  WriteProfile("[LoginData]\nLoginNode=4294967295\n");
  EXPECT_EQ(Loaded().LoginNode, 0);
  WriteProfile("[LoginData]\nLoginNode=-1\n");
  EXPECT_EQ(Loaded().LoginNode, 0);
}

TEST_F(LoginDataTest, GarbageProfileReadsAsDefaultsAndIsLeftAlone) {
  const std::string garbage = "\x01\x02 not a key file [[[\n=\xff\xfe";
  WriteProfile(garbage);
  ClientConfig c = Loaded();
  EXPECT_EQ(c.UserName, u"");
  EXPECT_EQ(c.NetMode, 0);
  EXPECT_EQ(c.UserMac, lobby::UserTagCrc(c.UserTag));
  EXPECT_EQ(ReadFileBytes(ProfilePath()), garbage);
}

TEST_F(LoginDataTest, SavingOverAGarbageProfileKeepsItAside) {
  const std::string garbage = "[LoginData\nUserName";
  WriteProfile(garbage);
  ClientConfig c = Loaded();
  c.UserName = u"wang";
  ASSERT_TRUE(c.SaveLoginData());
  EXPECT_EQ(ReadFileBytes(ProfilePath() + ".damaged"), garbage);
  EXPECT_EQ(Loaded().UserName, u"wang");
}

TEST_F(LoginDataTest, DamagedSingleValuesFallBackToDefaults) {
  WriteProfile("[LoginData]\nLoginMode=abc\nSaveAccount=99999999999\nUserTag=zz0102030405\n");
  ClientConfig c = Loaded();
  EXPECT_EQ(c.NetMode, 0);
  EXPECT_EQ(c.SaveAccount, 0);
  EXPECT_EQ(c.UserMac, lobby::UserTagCrc(c.UserTag));
}

TEST_F(LoginDataTest, SaveKeepsOtherGroupsOfTheFile) {
  WriteProfile("[Other]\nKeep=yes\n[LoginData]\nUserName=a\n");
  ClientConfig c = Loaded();
  ASSERT_TRUE(c.SaveLoginData());
  EXPECT_NE(ReadFileBytes(ProfilePath()).find("Keep=yes"), std::string::npos);
}

TEST_F(LoginDataTest, BrokenConfigRunCannotWipeRememberedData) {
  WriteProfile("[LoginData]\nUserName=zhao\nUserTag=010203040506\nUserMac=2180413220\n");
  std::string before = ReadFileBytes(ProfilePath());
  WriteFileBytes(dir_.Join("Config.cfg"), "<Config><LoginServer/>");  // truncated
  ClientConfig c(dir_.WPath(), ProfilePath());
  ASSERT_FALSE(c.LoadConfig());
  c.NetMode = 1;
  EXPECT_FALSE(c.SaveLoginData());
  EXPECT_EQ(ReadFileBytes(ProfilePath()), before);
}

}  // namespace
