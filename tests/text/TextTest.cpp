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

TEST(IsValidUtf8, AcceptsAsciiAndWellFormedSequences) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain <ascii/>"));
  EXPECT_TRUE(IsValidUtf8("\xC3\xA9"));          // U+00E9
  EXPECT_TRUE(IsValidUtf8("\xE4\xB8\xAD"));      // U+4E2D
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));  // U+1F600
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
}

TEST(IsValidUtf8, SequenceCutOffByTheEndIsInvalid) {
  EXPECT_FALSE(IsValidUtf8("a\xC3"));
  EXPECT_FALSE(IsValidUtf8("a\xE4\xB8"));
  EXPECT_FALSE(IsValidUtf8("a\xF0\x9F\x98"));
}

TEST(IsValidUtf8, LeadBytesFromF8UpAreInvalid) {
  EXPECT_FALSE(IsValidUtf8("\xF8\x88\x80\x80\x80"));
  EXPECT_FALSE(IsValidUtf8("\xFC\x84\x80\x80\x80\x80"));
  EXPECT_FALSE(IsValidUtf8("\xFF"));
}

TEST(IsValidUtf8, FurtherBytesMustBeContinuationBytes) {
  EXPECT_FALSE(IsValidUtf8("\xC3" "A"));
  // GBK "中文": every lead byte is followed by a byte of the form 11xxxxxx.
  EXPECT_FALSE(IsValidUtf8("\xD6\xD0\xCE\xC4"));
}

TEST(IsValidUtf8, StrayContinuationByteIsInvalid) { EXPECT_FALSE(IsValidUtf8("a\x80" "b")); }

TEST(IsValidUtf8, OverlongSurrogateAndOutOfRangeFormsAreInvalid) {
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // U+D800
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
}

TEST(IsValidUtf8, StopsAtTheFirstZeroByte) {
  EXPECT_TRUE(IsValidUtf8(std::string("ok\0\xFF", 4)));
  EXPECT_FALSE(IsValidUtf8(std::string("\xFF\0ok", 4)));
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

TEST(AnsiCodePage, UnencodableTextFails) { EXPECT_FALSE(EncodeAnsi(u"\U0001F600")); }

TEST(AnsiCodePage, BrokenSequencesDecodeToReplacementCharacters) {
  auto wide = DecodeAnsi(std::string("a\xD3", 2));
  ASSERT_TRUE(wide);
  EXPECT_EQ(*wide, WString(u"a\uFFFD"));
}
