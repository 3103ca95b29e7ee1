// Reading the argument object of a movie request.
#include <gtest/gtest.h>

#include "lobby/flash/ArgumentObject.h"

namespace {

using lobby::ReadArgumentObject;

TEST(ArgumentObjectTest, ValueIsTheFirstChildTextWhateverItsKind) {
  auto props = ReadArgumentObject(
      u"<object><property id=\"a\"><number>12</number></property>"
      u"<property id=\"b\"><string>x &amp; y</string></property><property id=\"c\"><true/></property></object>");
  ASSERT_EQ(props.size(), 3u);
  EXPECT_EQ(props[0].id, u"a");
  EXPECT_EQ(props[0].value, u"12");
  EXPECT_EQ(props[1].value, u"x & y");
  EXPECT_EQ(props[1].markup, u"<string>x &amp; y</string>");
  EXPECT_EQ(props[2].value, u"");
}

TEST(ArgumentObjectTest, LaterPropertyWithTheSameIdWins) {
  auto props = ReadArgumentObject(
      u"<object><property id=\"GameName\"><string>first</string></property>"
      u"<property id=\"GameName\"><string>second</string></property></object>");
  EXPECT_EQ(lobby::PropertyValue(props, u"GameName"), u"second");
  EXPECT_EQ(lobby::PropertyValue(props, u"Missing"), u"");
}

TEST(ArgumentObjectTest, ValuesBeforeTheFirstObjectAreSkipped) {
  auto props = ReadArgumentObject(
      u"<string>s</string><number>1</number><object><property id=\"k\"><string>v</string></property></object>"
      u"<object><property id=\"other\"><string>w</string></property></object>");
  ASSERT_EQ(props.size(), 1u);
  EXPECT_EQ(props[0].id, u"k");
}

TEST(ArgumentObjectTest, NoObjectGivesNoProperties) {
  EXPECT_TRUE(ReadArgumentObject(u"").empty());
  EXPECT_TRUE(ReadArgumentObject(u"<number>5</number>").empty());
  EXPECT_TRUE(ReadArgumentObject(u"plain text").empty());
}

}  // namespace
