// The title strip's two links from Config.cfg: web pages, mail, and the schemes the operator
// names; the movie's "OpenWeb" keeps to web pages.
#include <gtest/gtest.h>

#include "LobbyTestSupport.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/flash/MovieBridge.h"
#include "lobby/flash/WebAddress.h"
#include "tests/support/TempDir.h"

namespace {

using lobby::CheckedOperatorLink;
using lobby::ReadLinkSchemes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

const std::vector<std::string> kNamed{"tencent", "weixin"};

TEST(OperatorLinkTest, WebMailAndNamedSchemesOpenWithTheSchemeInLowerCase) {
  const std::pair<const char16_t*, const char*> allowed[] = {
      {u"http://help.example.com/", "http://help.example.com/"},
      {u"HTTPS://help.example.com/a?b=1", "HTTPS://help.example.com/a?b=1"},  // as the web rule gives it
      {u"mailto:service@example.com", "mailto:service@example.com"},
      {u"MAILTO:service@example.com?subject=%E5%BB%BA%E8%AE%AE", "mailto:service@example.com?subject=%E5%BB%BA%E8%AE%AE"},
      {u"MaIlTo:a@b.cn", "mailto:a@b.cn"},
      {u"tencent://message/?uin=10001", "tencent://message/?uin=10001"},
      {u"WeiXin://dl/chat", "weixin://dl/chat"},
  };
  for (const auto& [address, expected] : allowed) {
    auto uri = CheckedOperatorLink(address, kNamed);
    ASSERT_TRUE(uri) << text::ToUtf8(address);
    EXPECT_EQ(*uri, expected);
  }
}

TEST(OperatorLinkTest, EverythingElseIsRefusedWhateverItsSpelling) {
  for (const char16_t* bad : {
           u"", u"mailto:", u"service@example.com", u"/usr/bin/xterm", u"xterm -e sh",
           u"qq://chat",                       // not named
           u"file:///etc/passwd", u"FILE:///etc/passwd", u"javascript:alert(1)", u"JavaScript:alert(1)",
           u"data:text/html,<script>x</script>", u"vbscript:x", u"about:blank", u"quorvane://movie/index.html",
           u" mailto:a@b.cn", u"\tmailto:a@b.cn", u"\x01mailto:a@b.cn", u"mailto:a@b.cn\n",
           u"\u200Bmailto:a@b.cn", u"\uFEFFtencent://x", u"mailto:a@b.cn%0ABcc:c@d.cn",
           u"mail%74o:a@b.cn", u"%6Dailto:a@b.cn", u"tencen%74://x", u"java%73cript:alert(1)",
           u"1mailto:a@b.cn", u"-tencent://x", u":a@b.cn",
           u"http://", u"http:relative", u"ftp://example.com/"}) {
    EXPECT_FALSE(CheckedOperatorLink(bad, kNamed)) << text::ToUtf8(bad);
  }
}

// A local attacker who can write Config.cfg must not get script or local files from a click.
TEST(OperatorLinkTest, SchemesThatRunScriptOrReachFilesAreNeverTakenFromTheConfiguration) {
  EXPECT_EQ(ReadLinkSchemes(u"javascript FILE data vbscript blob about quorvane view-source filesystem"),
            std::vector<std::string>{});
  EXPECT_EQ(ReadLinkSchemes(u"  Tencent,weixin\tms-teams  x+y.z-1 "),
            (std::vector<std::string>{"tencent", "weixin", "ms-teams", "x+y.z-1"}));
  EXPECT_EQ(ReadLinkSchemes(u"1abc a%62c a:b -x wei xin"), (std::vector<std::string>{"wei", "xin"}));
  EXPECT_FALSE(CheckedOperatorLink(u"file:///etc/passwd", {"file"}));
  EXPECT_FALSE(CheckedOperatorLink(u"javascript:alert(1)", {"javascript"}));
  EXPECT_FALSE(CheckedOperatorLink(u"data:,x", {"data"}));
}

class OperatorLinkBridgeTest : public ::testing::Test {
 protected:
  void Load(const std::string& webUrl) {
    WriteFileBytes(dir_.Join("Config.cfg"),
                   "<Config><LoginServer/><Windows>m/m.html</Windows><Domain corp=\"Zemba\"/>"
                   "<UpdateUrl>u</UpdateUrl>" + webUrl + "</Config>");
    ASSERT_TRUE(config_.LoadConfig());
  }

  TempDir dir_;
  lobbytest::RecordingHost host_;
  lobby::ClientConfig config_{dir_.WPath(), dir_.Join("p.ini")};
  struct NoCommands : lobby::IGameCommands {
    void SaveServer(const text::WString&) override {}
    void CheckGame(const text::WString&) override {}
    void UpdateGame(const text::WString&) override {}
    void PlayGame(const text::WString&) override {}
  } commands_;
  lobby::MovieBridge bridge_{host_, host_, config_, commands_};
};

TEST_F(OperatorLinkBridgeTest, TheTitleLinksOpenMailAndTheSchemesConfigCfgNames) {
  Load("<WebUrl LinkSchemes=\"tencent\"><Proposal>MAILTO:idea@example.com</Proposal>"
       "<Service>tencent://message/?uin=1</Service></WebUrl>");
  EXPECT_EQ(config_.GetLinkSchemes(), u"tencent");
  EXPECT_TRUE(bridge_.OpenOperatorLink(config_.GetProposalUrl()));
  EXPECT_TRUE(bridge_.OpenOperatorLink(config_.GetServiceUrl()));
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"mailto:idea@example.com", "tencent://message/?uin=1"}));
}

TEST_F(OperatorLinkBridgeTest, WithoutLinkSchemesOnlyWebAndMailOpen) {
  Load("<WebUrl><Proposal>mailto:idea@example.com</Proposal><Service>tencent://message/?uin=1</Service></WebUrl>");
  EXPECT_TRUE(bridge_.OpenOperatorLink(config_.GetProposalUrl()));
  EXPECT_FALSE(bridge_.OpenOperatorLink(config_.GetServiceUrl()));
  EXPECT_TRUE(bridge_.OpenOperatorLink(u"https://help.example.com/"));
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"mailto:idea@example.com", "https://help.example.com/"}));
}

// The page's own requests keep the web rule, whatever the operator allows the title strip.
TEST_F(OperatorLinkBridgeTest, OpenWebStillRefusesMailAndTheNamedSchemes) {
  Load("<WebUrl LinkSchemes=\"tencent\"><Proposal>p</Proposal><Service>s</Service></WebUrl>");
  bridge_.OnFSCommand(u"OpenWeb", u"mailto:idea@example.com");
  bridge_.OnFSCommand(u"OpenWeb", u"MAILTO:idea@example.com");
  bridge_.OnFSCommand(u"OpenWeb", u"tencent://message/?uin=1");
  EXPECT_FALSE(bridge_.OpenUserPage(u"mailto:idea@example.com"));
  EXPECT_TRUE(host_.opened.empty());
}

}  // namespace
