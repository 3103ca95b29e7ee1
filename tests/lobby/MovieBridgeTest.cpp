// The two events from the movie, the login flag, closing, right clicks, OpenWeb and the pages
// the user opens from the title strip.
#include <gtest/gtest.h>

#include <chrono>

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
  MovieBridgeTest() {
    bridge_.SetClock([this] { return now_; });
  }
  void Advance(int ms) { now_ += std::chrono::milliseconds(ms); }

  RecordingHost host_;
  RecordingCommands commands_;
  lobby::ClientConfig config_{u"/opt/lobby", ""};
  MovieBridge bridge_{host_, host_, config_, commands_};
  std::chrono::steady_clock::time_point now_{};
};

constexpr const char* kLogoutServer =
    "<invoke name=\"LogoutServer\"><arguments><number>1</number></arguments></invoke>";

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

// The first close asks the page; a page that has not answered within five seconds, or that
// the engine calls unresponsive, cannot keep the player in: the next close ends the lobby.
TEST_F(MovieBridgeTest, ClosingAgainAfterFiveSecondsWithoutAnAnswerEndsTheLobby) {
  bridge_.OnFSCommand(u"LoginServer", u"");
  bridge_.OnClose();
  Advance(4999);
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 0);
  Advance(1);
  EXPECT_EQ(host_.ended, 0);  // nothing ends by itself
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 1);
  EXPECT_EQ(host_.calls.size(), 3u);  // LoginServer, then LogoutServer for each asking close
}

TEST_F(MovieBridgeTest, AnUnresponsivePageLetsTheNextCloseEndTheLobby) {
  bridge_.OnFSCommand(u"LoginServer", u"");
  bridge_.OnClose();
  bridge_.OnPageUnresponsive();
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 1);
}

TEST_F(MovieBridgeTest, APageThatAnswersIsAskedAgainEveryTime) {
  bridge_.OnFSCommand(u"LoginServer", u"");
  bridge_.OnClose();
  Advance(3000);
  bridge_.OnFlashCall(u"<invoke name=\"Confirm\"/>");  // the page asks the player to confirm
  Advance(3000);
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 0);
  EXPECT_EQ(host_.calls.back(), kLogoutServer);
  Advance(5000);
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 1);
}

TEST_F(MovieBridgeTest, AnUnresponsiveReportBeforeTheFirstCloseStillAsksFirst) {
  bridge_.OnFSCommand(u"LoginServer", u"");
  bridge_.OnPageUnresponsive();
  bridge_.OnClose();
  EXPECT_EQ(host_.ended, 0);
  EXPECT_EQ(host_.calls.back(), kLogoutServer);
  bridge_.OnClose();
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

TEST_F(MovieBridgeTest, OpenWebOpensAtMostThreePagesInAnyTwoSeconds) {
  for (int i = 0; i < 300; ++i) bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/" + text::FormatInt(i));
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"http://example.com/0", "http://example.com/1",
                                                     "http://example.com/2"}));
  Advance(1999);
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/late");
  EXPECT_EQ(host_.opened.size(), 3u);
  Advance(1);
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/a");
  Advance(1000);
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/b");
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/c");
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/d");  // a, b, c within two seconds
  EXPECT_EQ(host_.opened.size(), 6u);
  EXPECT_EQ(host_.opened.back(), "http://example.com/c");
}

// The title-strip buttons open what the user clicked, as often as clicked, and only web pages.
TEST_F(MovieBridgeTest, UserPagesAreCheckedButNotLimited) {
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(bridge_.OpenUserPage(u"http://example.com/service"));
  EXPECT_FALSE(bridge_.OpenUserPage(u"file:///etc/passwd"));
  EXPECT_FALSE(bridge_.OpenUserPage(u"http://example.com/%E2%80%AE"));
  EXPECT_EQ(host_.opened, std::vector<std::string>(5, "http://example.com/service"));
}

// The movie's limit is its own: user pages before it leave the movie its three.
TEST_F(MovieBridgeTest, UserPagesDoNotUseUpTheMoviesLimit) {
  for (int i = 0; i < 3; ++i) bridge_.OpenUserPage(u"http://example.com/proposal");
  for (int i = 0; i < 4; ++i) bridge_.OnFSCommand(u"OpenWeb", u"https://example.com/");
  EXPECT_EQ(host_.opened.size(), 6u);
}

// Refused addresses are not opens: they use up nothing of the limit.
TEST_F(MovieBridgeTest, RefusedAddressesDoNotCountAgainstTheLimit) {
  for (int i = 0; i < 10; ++i) bridge_.OnFSCommand(u"OpenWeb", u"file:///etc/passwd");
  for (int i = 0; i < 3; ++i) bridge_.OnFSCommand(u"OpenWeb", u"https://example.com/");
  EXPECT_EQ(host_.opened.size(), 3u);
}

TEST_F(MovieBridgeTest, OpenWebRefusesInvisibleSpaceLikeAndDirectionCharactersPlainOrEncoded) {
  for (const char16_t* bad :
       {u"http://example.com/\u00A0x", u"http://example.com/\u3000", u"http://exa\u202Emple.com/",
        u"http://example.com/a\u200Bb", u"http://example.com/\u2066x\u2069", u"http://example.com/\uFEFF",
        u"http://example.com/\u180E", u"http://example.com/\U000E0041", u"http://example.com/\u0085",
        u"http://example.com/%C2%A0x", u"http://example.com/%E3%80%80", u"http://example.com/%e2%80%ae",
        u"http://example.com/?q=%E2%80%8B", u"http://example.com/%E2%81%A6", u"http://example.com/%EF%BB%BF",
        u"http://example.com/%0A", u"http://example.com/%00", u"http://example.com/%F3%A0%81%81",
        u"http://example.com/\xD800"}) {
    bridge_.OnFSCommand(u"OpenWeb", bad);
  }
  EXPECT_TRUE(host_.opened.empty()) << host_.opened[0];
}

// Once decoded, and only once: "%20" is how an address carries a blank, other encodings' bytes
// are no characters of these kinds, and "%25" is a percent sign.
TEST_F(MovieBridgeTest, OpenWebKeepsOrdinaryEncodedAddresses) {
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/a%20b?q=%E4%B8%AD%E6%96%87");
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/?q=%D6%D0");
  bridge_.OnFSCommand(u"OpenWeb", u"http://example.com/%25E2%2580%25AE");
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"http://example.com/a%20b?q=%E4%B8%AD%E6%96%87",
                                                     "http://example.com/?q=%D6%D0",
                                                     "http://example.com/%25E2%2580%25AE"}));
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
