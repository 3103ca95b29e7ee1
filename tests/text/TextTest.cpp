#include "text/CodePage.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <climits>

using namespace text;

TEST(Utf8Conversion, RoundTripsChineseAndSupplementaryCharacters) {
  const std::string utf8 = "\xE6\xB8\xB8\xE6\x88\x8F a \xF0\x9F\x98\x80";  // 游戏 a 😀
  WString wide = FromUtf8(utf8);
  EXPECT_EQ(wide, WString(u"游戏 a \U0001F600"));
  EXPECT_EQ(ToUtf8(wide), utf8);
}

TEST(Utf8Conversion, InvalidBytesAndLoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF" "b"), WString(u"a\uFFFDb"));
  EXPECT_EQ(ToUtf8(WString(u"x") + char16_t(0xD800) + u"y"), "x\xEF\xBF\xBDy");
}

TEST(Formatting, MatchesPrintfConversions) {
  EXPECT_EQ(FormatInt(-42), u"-42");
  EXPECT_EQ(FormatInt(INT32_MIN), u"-2147483648");
  EXPECT_EQ(FormatUInt(4294967295u), u"4294967295");
  EXPECT_EQ(FormatHex(0x352441C2u), u"352441C2");
  EXPECT_EQ(FormatHex(0xABCDu), u"ABCD");
  EXPECT_EQ(FormatHex(0), u"0");
}

TEST(ParseInt, FollowsAtoiRules) {
  EXPECT_EQ(ParseInt(u"  123abc"), 123);
  EXPECT_EQ(ParseInt(u"-17"), -17);
  EXPECT_EQ(ParseInt(u"+8"), 8);
  EXPECT_EQ(ParseInt(u"abc"), 0);
  EXPECT_EQ(ParseInt(u""), 0);
}

// A value past the range gives the nearer end, as the platform's conversion does, instead of
// wrapping: a port of "99999999999" is not read as 1215752191.
TEST(ParseInt, ValuesPastTheRangeGiveItsNearerEnd) {
  EXPECT_EQ(ParseInt(std::string_view("4294967295")), INT32_MAX);
  EXPECT_EQ(ParseInt(u"99999999999"), INT32_MAX);
  EXPECT_EQ(ParseInt(u"2147483647"), INT32_MAX);
  EXPECT_EQ(ParseInt(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt(u"-2147483649"), INT32_MIN);
  EXPECT_EQ(ParseInt(u"-99999999999999999999999"), INT32_MIN);
  EXPECT_EQ(ParseInt64(u"9223372036854775807"), INT64_MAX);
  EXPECT_EQ(ParseInt64(u"99999999999999999999"), INT64_MAX);
  EXPECT_EQ(ParseInt64(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ParseInt64(u"-9223372036854775809"), INT64_MIN);
  EXPECT_EQ(ParseInt64(u" 99999999999x"), 99999999999);
}

TEST(CaseFolding, TouchesAsciiLettersOnly) {
  EXPECT_EQ(AsciiLower(WStringView(u"HTTP://Host/ÄB")), u"http://host/Äb");
  EXPECT_TRUE(AsciiEqualsNoCase(u"Content-Type", u"content-TYPE"));
  EXPECT_FALSE(AsciiEqualsNoCase(u"Ä", u"ä"));
  EXPECT_FALSE(AsciiEqualsNoCase(u"abc", u"abcd"));
}

TEST(AnsiCodePage, DecodesAndEncodesGbk) {
  const std::string gbk = "\xD3\xCE\xCF\xB7";  // 游戏
  auto wide = DecodeAnsi(gbk);
  ASSERT_TRUE(wide);
  EXPECT_EQ(*wide, u"游戏");
  auto back = EncodeAnsi(*wide);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, gbk);
}

TEST(AnsiCodePage, UnencodableTextAndUnknownCharsetsFail) {
  EXPECT_FALSE(EncodeAnsi(u"\U0001F600"));
  EXPECT_FALSE(DecodeBytes("abc", "NO-SUCH-CHARSET"));
}

TEST(AnsiCodePage, BrokenSequencesDecodeToReplacementCharacters) {
  auto wide = DecodeAnsi(std::string("a\xD3", 2));
  ASSERT_TRUE(wide);
  EXPECT_EQ(*wide, WString(u"a\uFFFD"));
}
