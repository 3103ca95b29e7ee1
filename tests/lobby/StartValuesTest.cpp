// The game's start values and its command line.
#include <gtest/gtest.h>

#include "lobby/games/GameName.h"
#include "lobby/games/StartValues.h"

namespace {

using lobby::StartValues;

TEST(StartValuesTest, AddressIsTheLow32BitsLowestByteFirst) {
  EXPECT_EQ(lobby::DottedAddress(u"16777343"), u"127.0.0.1");
  EXPECT_EQ(lobby::DottedAddress(u"4294967295"), u"255.255.255.255");
  EXPECT_EQ(lobby::DottedAddress(u"4294967296"), u"0.0.0.0");  // only the low 32 bits count
  EXPECT_EQ(lobby::DottedAddress(u"abc"), u"0.0.0.0");
  EXPECT_EQ(lobby::DottedAddress(u"-1"), u"255.255.255.255");
}

TEST(StartValuesTest, PortHasItsBytesSwapped) {
  EXPECT_EQ(lobby::SwappedPort(u"36895"), 8080u);
  EXPECT_EQ(lobby::SwappedPort(u"102431"), 8080u);  // 36895 + 65536: only the low 16 bits count
  EXPECT_EQ(lobby::SwappedPort(u"x"), 0u);
}

TEST(StartValuesTest, ValuesAreReadFromTheGameParamObject) {
  StartValues v = lobby::ReadStartValues(
      u"<object><property id=\"GameModex\"><string>m2</string></property>"
      u"<property id=\"GameIp\"><number>16777343</number></property>"
      u"<property id=\"GamePort\"><number>36895</number></property>"
      u"<property id=\"GameUid\"><string>u1</string></property>"
      u"<property id=\"GameKey\"><string>k&amp;1</string></property>"
      u"<property id=\"GameMode\"><string>m1</string></property>"
      u"<property id=\"Other\"><string>x</string></property>"
      u"<property id=\"GameChannel\"><number>5</number></property></object>");
  EXPECT_EQ(v.address, u"127.0.0.1");
  EXPECT_EQ(v.port, 8080u);
  EXPECT_EQ(v.uid, u"u1");
  EXPECT_EQ(v.key, u"k&1");
  EXPECT_EQ(v.mode, u"m1");
  EXPECT_EQ(v.channel, u"5");
  EXPECT_EQ(v.modex, u"m2");
}

TEST(StartValuesTest, ArgumentTextPutsGameModeAfterTypeAndModexAfterMode) {
  StartValues v{u"127.0.0.1", 8080, u"u", u"k", u"type", u"c", u"mode"};
  EXPECT_EQ(lobby::FormatArgumentText(v),
            u" -ip \"127.0.0.1\" -port \"8080\" -uid \"u\" -type \"type\" -key \"k\" -cid \"c\" -mode \"mode\"");
  EXPECT_EQ(lobby::ArgumentList(v),
            (std::vector<std::string>{"-ip", "127.0.0.1", "-port", "8080", "-uid", "u", "-type", "type",
                                      "-key", "k", "-cid", "c", "-mode", "mode"}));
}

TEST(StartValuesTest, GameParamWithoutObjectGivesEmptyValues) {
  EXPECT_EQ(lobby::FormatArgumentText(lobby::ReadStartValues(u"<number>3</number>")),
            u" -ip \"\" -port \"0\" -uid \"\" -type \"\" -key \"\" -cid \"\" -mode \"\"");
}

TEST(GameNameTest, OnlyPlainNamesNameAGame) {
  EXPECT_TRUE(lobby::IsPlainGameName(u"G"));
  EXPECT_TRUE(lobby::IsPlainGameName(u"象棋 2"));
  for (const char16_t* bad : {u"", u".", u"..", u"../G", u"a/b", u"a\\b", u"/bin", u"a\nb"}) {
    EXPECT_FALSE(lobby::IsPlainGameName(bad)) << text::ToUtf8(bad);
  }
}

}  // namespace
