// Every message to the movie, compared byte for byte.
#include <gtest/gtest.h>

#include "lobby/config/ClientConfig.h"
#include "lobby/flash/MovieMessages.h"

namespace {

using text::ToUtf8;

std::string TagItems(std::initializer_list<int> bytes) {
  std::string out;
  int i = 0;
  for (int b : bytes) {
    out += "<property id=\"" + std::to_string(i++) + "\"><number>" + std::to_string(b) + "</number></property>";
  }
  return out;
}

TEST(MovieMessagesTest, LoginServerCarriesConfigurationAndAccountData) {
  lobby::ClientConfig c(u"/opt/lobby", "");
  c.UserName = u"a<b&c";
  c.ProxyId = 7;
  c.NetMode = 2;
  c.LoginNode = 1;
  c.SaveAccount = 1;
  c.UserTag = {0, 26, 43, 60, 77, 255};
  c.Servers.push_back({8000, u"a.cn", u"t.cn", u""});
  std::string expected =
      "<invoke name=\"LoginServer\" returntype=\"xml\"><arguments><object>"
      "<property id=\"MainPath\"><string>/opt/lobby</string></property>"
      "<property id=\"UserName\"><string>a&lt;b&amp;c</string></property>"
      "<property id=\"ProxyId\"><number>7</number></property>"
      "<property id=\"LoginMode\"><number>1</number></property>"
      "<property id=\"NetMode\"><number>2</number></property>"
      "<property id=\"LoginNode\"><number>1</number></property>"
      "<property id=\"SaveAccount\"><number>1</number></property>"
      "<property id=\"LoginServer\"><array><property id=\"0\"><object>"
      "<property id=\"AutoDns\"><string>a.cn</string></property>"
      "<property id=\"TelDns\"><string>t.cn</string></property>"
      "<property id=\"UniDns\"><string/></property>"
      "<property id=\"Port\"><number>8000</number></property>"
      "</object></property></array></property>"
      "<property id=\"UserTag\"><array>" + TagItems({0, 26, 43, 60, 77, 255}) + "</array></property>"
      "<property id=\"LobbyVersion\"><string/></property>"
      "</object></arguments></invoke>";
  EXPECT_EQ(ToUtf8(lobby::LoginServerMessage(c)), expected);
}

TEST(MovieMessagesTest, LoginServerWithoutServersHasEmptyArrayAndSixTagItems) {
  lobby::ClientConfig c(u"/l", "");
  std::string expected =
      "<invoke name=\"LoginServer\" returntype=\"xml\"><arguments><object>"
      "<property id=\"MainPath\"><string>/l</string></property>"
      "<property id=\"UserName\"><string/></property>"
      "<property id=\"ProxyId\"><number>0</number></property>"
      "<property id=\"LoginMode\"><number>1</number></property>"
      "<property id=\"NetMode\"><number>0</number></property>"
      "<property id=\"LoginNode\"><number>0</number></property>"
      "<property id=\"SaveAccount\"><number>0</number></property>"
      "<property id=\"LoginServer\"><array/></property>"
      "<property id=\"UserTag\"><array>" + TagItems({0, 0, 0, 0, 0, 0}) + "</array></property>"
      "<property id=\"LobbyVersion\"><string/></property>"
      "</object></arguments></invoke>";
  EXPECT_EQ(ToUtf8(lobby::LoginServerMessage(c)), expected);
}

TEST(MovieMessagesTest, GameResultEchoesGameParamMarkup) {
  EXPECT_EQ(ToUtf8(lobby::GameResultMessage(u"CheckGameResult", u"abc", 3, u"<number>7</number>")),
            "<invoke name=\"CheckGameResult\" returntype=\"xml\"><arguments><object>"
            "<property id=\"GameName\"><string>abc</string></property>"
            "<property id=\"Result\"><number>3</number></property>"
            "<property id=\"GameParam\"><number>7</number></property>"
            "</object></arguments></invoke>");
}

TEST(MovieMessagesTest, UpdateGameResultWithObjectGameParam) {
  EXPECT_EQ(ToUtf8(lobby::GameResultMessage(u"UpdateGameResult", u"象棋", 0,
                                            u"<object><property id=\"k\"><string>v</string></property></object>")),
            "<invoke name=\"UpdateGameResult\" returntype=\"xml\"><arguments><object>"
            "<property id=\"GameName\"><string>象棋</string></property>"
            "<property id=\"Result\"><number>0</number></property>"
            "<property id=\"GameParam\"><object><property id=\"k\"><string>v</string></property></object></property>"
            "</object></arguments></invoke>");
}

TEST(MovieMessagesTest, LoginServerTellsTheLobbysOwnVersion) {
  lobby::ClientConfig c(u"/l", "");
  c.LobbyVersion = u"1.0.12";
  const std::string told = ToUtf8(lobby::LoginServerMessage(c));
  EXPECT_NE(told.find("<property id=\"LobbyVersion\"><string>1.0.12</string></property></object>"),
            std::string::npos)
      << told;
}

TEST(MovieMessagesTest, GameResultDetailsComeAfterTheResultAndOnlyWhenKnown) {
  EXPECT_EQ(ToUtf8(lobby::GameResultMessage(u"CheckGameResult", u"abc", 1, u"<number>7</number>",
                                            {u"unreachable", u""})),
            "<invoke name=\"CheckGameResult\" returntype=\"xml\"><arguments><object>"
            "<property id=\"GameName\"><string>abc</string></property>"
            "<property id=\"Result\"><number>1</number></property>"
            "<property id=\"GameParam\"><number>7</number></property>"
            "<property id=\"Reason\"><string>unreachable</string></property>"
            "</object></arguments></invoke>");
  EXPECT_EQ(ToUtf8(lobby::GameResultMessage(u"UpdateGameResult", u"abc", 0, u"<string/>", {u"", u"failed"})),
            "<invoke name=\"UpdateGameResult\" returntype=\"xml\"><arguments><object>"
            "<property id=\"GameName\"><string>abc</string></property>"
            "<property id=\"Result\"><number>0</number></property>"
            "<property id=\"GameParam\"><string/></property>"
            "<property id=\"Outcome\"><string>failed</string></property>"
            "</object></arguments></invoke>");
}

TEST(MovieMessagesTest, TheUpdatersExitCodesHaveOneWordEach) {
  EXPECT_EQ(lobby::UpdaterOutcomeWord(0), u"installed");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(1), u"failed");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(2), u"nothingToDo");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(3), u"refused");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(4), u"notRun");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(5), u"failed");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(-1), u"failed");
  EXPECT_EQ(lobby::UpdaterOutcomeWord(std::nullopt), u"failed");  // ended by a signal
}

TEST(MovieMessagesTest, SingleNumberMessages) {
  EXPECT_EQ(ToUtf8(lobby::LoginGameMessage()),
            "<invoke name=\"LoginGame\" returntype=\"xml\"><arguments><number>1</number></arguments></invoke>");
  EXPECT_EQ(ToUtf8(lobby::LogoutGameMessage()),
            "<invoke name=\"LogoutGame\" returntype=\"xml\"><arguments><number>1</number></arguments></invoke>");
  EXPECT_EQ(ToUtf8(lobby::LogoutServerMessage()),
            "<invoke name=\"LogoutServer\"><arguments><number>1</number></arguments></invoke>");
  EXPECT_EQ(ToUtf8(lobby::RightClickMessage()),
            "<invoke name=\"RightClick\"><arguments><number>1</number></arguments></invoke>");
}

}  // namespace
