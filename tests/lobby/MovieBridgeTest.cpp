// The two events from the movie, the login flag, closing, right clicks and OpenWeb.
#include <gtest/gtest.h>

#include "LobbyTestSupport.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/flash/MovieBridge.h"
#include "lobby/flash/MovieMessages.h"

namespace {

using lobby::MovieBridge;
using lobbytest::RecordingHost;

class RecordingCommands : public lobby::IGameCommands {
 public:
  void SaveServer(const text::WString& a) override { got.push_back("SaveServer:" + text::ToUtf8(a)); }
  void CheckGame(const text::WString& a) override { got.push_back("CheckGame:" + text::ToUtf8(a)); }
  void UpdateGame(const text::WString& a) override { got.push_back("UpdateGame:" + text::ToUtf8(a)); }
  void PlayGame(const text::WString& a) override { got.push_back("PlayGame:" + text::ToUtf8(a)); }
  std::vector<std::string> got;
};

class MovieBridgeTest : public ::testing::Test {
 protected:
  RecordingHost host_;
  RecordingCommands commands_;
  lobby::ClientConfig config_{u"/opt/lobby", ""};
  MovieBridge bridge_{host_, host_, config_, commands_};
};

TEST_F(MovieBridgeTest, LoginServerCommandAnswersAndSetsTheLoginFlag) {
  bridge_.OnFSCommand(u"LoginServer", u"");
  ASSERT_EQ(host_.calls.size(), 1u);
  EXPECT_EQ(host_.calls[0], text::ToUtf8(lobby::LoginServerMessage(config_)));
  EXPECT_TRUE(bridge_.LoginActive());
}

TEST_F(MovieBridgeTest, CloseBeforeLoginEndsTheWindow) {
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 1);
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(MovieBridgeTest, CloseAfterLoginAsksTheMovieToLogOutFirst) {
  bridge_.OnFSCommand(u"LoginServer", u"");
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 0);
  ASSERT_EQ(host_.calls.size(), 2u);
  EXPECT_EQ(host_.calls[1], "<invoke name=\"LogoutServer\"><arguments><number>1</number></arguments></invoke>");
  bridge_.OnFSCommand(u"LogoutServer", u"whatever");
  EXPECT_FALSE(bridge_.LoginActive());
  EXPECT_EQ(host_.ended, 1);
}

TEST_F(MovieBridgeTest, RightClickSendsOneMessage) {
  bridge_.OnRightClick();
  EXPECT_EQ(host_.calls, std::vector<std::string>{
                             "<invoke name=\"RightClick\"><arguments><number>1</number></arguments></invoke>"});
}

TEST_F(MovieBridgeTest, OpenWebOpensWebAddresses) {
  bridge_.OnFSCommand(u"OpenWeb", u"http://www.example.com/help?a=1");
  bridge_.OnFSCommand(u"OpenWeb", u"HTTPS://example.com");
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"http://www.example.com/help?a=1", "HTTPS://example.com"}));
}

TEST_F(MovieBridgeTest, OpenWebRefusesEverythingElse) {
  for (const char16_t* bad : {u"file:///etc/passwd", u"/usr/bin/xterm", u"xterm -e sh", u"javascript:alert(1)",
                              u"http://", u"http:relative", u" http://example.com", u"http://exa mple.com",
                              u"ftp://example.com/", u"", u"http://a.com/\n/bin/sh"}) {
    bridge_.OnFSCommand(u"OpenWeb", bad);
  }
  EXPECT_TRUE(host_.opened.empty());
}

TEST_F(MovieBridgeTest, FlashCallHandsTheArgumentsMarkupToItsHandler) {
  const std::string object =
      "<object><property id=\"GameName\"><string>abc</string></property></object>";
  for (const char* name : {"SaveServer", "CheckGame", "UpdateGame", "PlayGame"}) {
    bridge_.OnFlashCall(text::FromUtf8(std::string("<invoke name=\"") + name +
                                       "\" returntype=\"xml\"><arguments>" + object + "</arguments></invoke>"));
  }
  EXPECT_EQ(commands_.got, (std::vector<std::string>{"SaveServer:" + object, "CheckGame:" + object,
                                                     "UpdateGame:" + object, "PlayGame:" + object}));
}

TEST_F(MovieBridgeTest, FlashCallWithoutArgumentsStillReachesItsHandler) {
  bridge_.OnFlashCall(u"<invoke name=\"CheckGame\"/>");
  EXPECT_EQ(commands_.got, std::vector<std::string>{"CheckGame:"});
}

TEST_F(MovieBridgeTest, CommandsOnTheWrongChannelDoNothing) {
  bridge_.OnFlashCall(u"<invoke name=\"OpenWeb\"><arguments><string>http://a.com</string></arguments></invoke>");
  bridge_.OnFlashCall(u"<invoke name=\"LoginServer\"><arguments/></invoke>");
  bridge_.OnFSCommand(u"CheckGame", u"<object/>");
  bridge_.OnFSCommand(u"loginserver", u"");
  EXPECT_TRUE(commands_.got.empty());
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_TRUE(host_.opened.empty());
  EXPECT_FALSE(bridge_.LoginActive());
}

TEST_F(MovieBridgeTest, MalformedRequestsDispatchNothing) {
  for (const char16_t* bad : {u"", u"not xml at all", u"<call name=\"CheckGame\"/>", u"<invoke><arguments/></invoke>",
                              u"<invoke name=\"checkgame\"/>", u"\uFFFF\u0000<"}) {
    bridge_.OnFlashCall(bad);
  }
  EXPECT_TRUE(commands_.got.empty());
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(MovieBridgeTest, OversizedRequestIsDropped) {
  text::WString huge = u"<invoke name=\"CheckGame\"><arguments><string>" +
                       text::WString(lobby::kMaxRequestLength, u'x') + u"</string></arguments></invoke>";
  bridge_.OnFlashCall(huge);
  EXPECT_TRUE(commands_.got.empty());
}

}  // namespace
