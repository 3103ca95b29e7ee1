// Reading Config.cfg: order of elements, required parts, defaults, encodings.
#include <gtest/gtest.h>

#include "lobby/config/ClientConfig.h"
#include "tests/support/TempDir.h"
#include "text/CodePage.h"

namespace {

using lobby::ClientConfig;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

const char* const kFullConfig =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Config>\n"
    "  <LoginServer>\n"
    "    <Server url0=\"auto.example\" url1=\"tel.example\" url2=\"uni.example\" port=\"8000\"/>\n"
    "    <Server url0=\"b0\" url1=\"b1\" url2=\"b2\" port=\"9001\"/>\n"
    "  </LoginServer>\n"
    "  <Windows width=\"800\" height=\"600\" title=\"游戏大厅\" png=\"/opt/logo.png\">movie/lobby.html</Windows>\n"
    "  <Domain id=\"7\" corp=\"Acme\"/>\n"
    "  <UpdateUrl>http://up.example/Files</UpdateUrl>\n"
    "  <WebUrl><Proposal>http://p.example/</Proposal><Service>http://s.example/</Service></WebUrl>\n"
    "</Config>\n";

class ConfigFileTest : public ::testing::Test {
 protected:
  ClientConfig Load(const std::string& content, bool* ok = nullptr) {
    WriteFileBytes(dir_.Join("Config.cfg"), content);
    ClientConfig config(dir_.WPath(), dir_.Join("profile/Quorvane.ini"));
    bool result = config.LoadConfig();
    if (ok) *ok = result;
    return config;
  }
  std::u16string Main(const std::u16string& rest) { return dir_.WPath() + rest; }

  TempDir dir_;
};

TEST_F(ConfigFileTest, CompleteFileSetsEveryField) {
  bool ok = false;
  ClientConfig c = Load(kFullConfig, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(c.Servers.size(), 2u);
  EXPECT_EQ(c.Servers[0].AutoDns, u"auto.example");
  EXPECT_EQ(c.Servers[0].TelDns, u"tel.example");
  EXPECT_EQ(c.Servers[0].UniDns, u"uni.example");
  EXPECT_EQ(c.Servers[0].Port, 8000);
  EXPECT_EQ(c.Servers[1].AutoDns, u"b0");
  EXPECT_EQ(c.Width, 800);
  EXPECT_EQ(c.Height, 600);
  EXPECT_EQ(c.GetTitle(), u"游戏大厅");
  EXPECT_EQ(c.GetLogoPath(), u"/opt/logo.png");
  EXPECT_EQ(c.GetMoviePath(), Main(u"/movie/lobby.html"));
  EXPECT_EQ(c.ProxyId, 7);
  EXPECT_EQ(c.GetCorp(), u"Acme");
  EXPECT_EQ(c.GetUpdateUrl(), u"http://up.example/Files");
  EXPECT_EQ(c.GetProposalUrl(), u"http://p.example/");
  EXPECT_EQ(c.GetServiceUrl(), u"http://s.example/");
}

TEST(ConfigDefaultsTest, MissingFileKeepsTheStartValues) {
  TempDir dir;
  ClientConfig c(dir.WPath(), dir.Join("p.ini"));
  EXPECT_FALSE(c.LoadConfig());
  EXPECT_EQ(c.GetUpdateUrl(), text::Ascii(lobby::kDefaultUpdateUrl));
  EXPECT_EQ(c.GetCorp(), u"Zemba");
  EXPECT_EQ(c.Width, 0);
  EXPECT_EQ(c.Height, 0);
  EXPECT_EQ(c.UserMac, 0u);
  EXPECT_EQ(c.LoginMode, 1);
  EXPECT_EQ(c.UserTag, (lobby::UserTagBytes{}));
  EXPECT_TRUE(c.Servers.empty());
}

TEST_F(ConfigFileTest, EmptyFileFails) {
  bool ok = true;
  ClientConfig c = Load("", &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(c.Servers.empty());
}

TEST_F(ConfigFileTest, TruncatedFileFailsAndStoresNothing) {
  std::string cut(kFullConfig, 200);
  bool ok = true;
  ClientConfig c = Load(cut, &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(c.Servers.empty());
  EXPECT_EQ(c.GetCorp(), u"Zemba");
}

TEST_F(ConfigFileTest, WindowsBeforeLoginServerIsNotFound) {
  bool ok = true;
  ClientConfig c = Load(
      "<Config><Windows width=\"800\" title=\"T\">m.html</Windows>"
      "<LoginServer><Server url0=\"a\" port=\"1\"/></LoginServer>"
      "<Domain id=\"1\" corp=\"C\"/><UpdateUrl>u</UpdateUrl>"
      "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>",
      &ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(c.Servers.size(), 1u);  // read before the failing search
  EXPECT_EQ(c.Width, 0);
  EXPECT_EQ(c.GetTitle(), u"");
}

TEST_F(ConfigFileTest, EmptyWindowsTextFailsAfterStoringItsAttributes) {
  bool ok = true;
  ClientConfig c = Load(
      "<Config><LoginServer/><Windows width=\"640\" height=\"480\" title=\"T\" png=\"l.png\"></Windows>"
      "<Domain id=\"1\" corp=\"C\"/><UpdateUrl>u</UpdateUrl>"
      "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>",
      &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(c.Width, 640);
  EXPECT_EQ(c.Height, 480);
  EXPECT_EQ(c.GetTitle(), u"T");
  EXPECT_EQ(c.GetLogoPath(), u"l.png");
  EXPECT_EQ(c.GetMoviePath(), u"");
  EXPECT_EQ(c.GetCorp(), u"Zemba");  // Domain was never reached
  EXPECT_EQ(c.UserTag, (lobby::UserTagBytes{}));  // login data not loaded
}

TEST_F(ConfigFileTest, EmptyWindowsAttributesLeaveFieldsUnchanged) {
  ClientConfig c = Load(
      "<Config><LoginServer/><Windows width=\"\" title=\"\">m.html</Windows>"
      "<Domain/><UpdateUrl>u</UpdateUrl><WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>");
  EXPECT_EQ(c.Width, 0);
  EXPECT_EQ(c.GetTitle(), u"");
}

TEST_F(ConfigFileTest, DomainWithoutCorpEmptiesCorp) {
  bool ok = false;
  ClientConfig c = Load(
      "<Config><LoginServer/><Windows>m.html</Windows><Domain id=\"3\"/><UpdateUrl>u</UpdateUrl>"
      "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>",
      &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(c.GetCorp(), u"");
  EXPECT_EQ(c.ProxyId, 3);
}

TEST_F(ConfigFileTest, LoginServerWithoutServersGivesEmptyList) {
  bool ok = false;
  ClientConfig c = Load(
      "<Config><LoginServer></LoginServer><Windows>m.html</Windows><Domain corp=\"x\"/>"
      "<UpdateUrl>u</UpdateUrl><WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>",
      &ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(c.Servers.empty());
}

TEST_F(ConfigFileTest, PortsAreReadLikeAtoi) {
  ClientConfig c = Load(
      "<Config><LoginServer><Server port=\"abc\"/><Server port=\"12ab\"/><Server/></LoginServer>"
      "<Windows>m.html</Windows><Domain corp=\"x\"/><UpdateUrl>u</UpdateUrl>"
      "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>");
  ASSERT_EQ(c.Servers.size(), 3u);
  EXPECT_EQ(c.Servers[0].Port, 0);
  EXPECT_EQ(c.Servers[1].Port, 12);
  EXPECT_EQ(c.Servers[2].Port, 0);
  EXPECT_EQ(c.Servers[2].AutoDns, u"");
}

TEST_F(ConfigFileTest, ServiceBeforeProposalFails) {
  bool ok = true;
  ClientConfig c = Load(
      "<Config><LoginServer/><Windows>m.html</Windows><Domain corp=\"x\"/><UpdateUrl>u</UpdateUrl>"
      "<WebUrl><Service>s</Service><Proposal>p</Proposal></WebUrl></Config>",
      &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(c.GetProposalUrl(), u"p");
  EXPECT_EQ(c.GetServiceUrl(), u"");
}

TEST_F(ConfigFileTest, GbkFileIsDecoded) {
  std::u16string xml =
      u"<?xml version=\"1.0\" encoding=\"gbk\"?><配置><LoginServer/>"
      u"<Windows title=\"泽巴游戏中心\">大厅.html</Windows><Domain corp=\"Zemba\"/>"
      u"<UpdateUrl>http://u</UpdateUrl><WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></配置>";
  auto bytes = text::EncodeAnsi(xml);
  ASSERT_TRUE(bytes);
  bool ok = false;
  ClientConfig c = Load(*bytes, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(c.GetTitle(), u"泽巴游戏中心");
  EXPECT_EQ(c.GetMoviePath(), Main(u"/大厅.html"));
}

}  // namespace
