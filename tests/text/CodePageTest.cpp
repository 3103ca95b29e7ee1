// The encodings table: names to code pages, and each code page decoded the same way on Linux
// (iconv) and on Windows (the system's tables).
#include "text/CodePage.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "text/CodePageTable.h"

namespace text {
namespace {

// --- Encoding names ------------------------------------------------------------------------

TEST(CodePageOfName, FindsNamesAcrossTheTable) {
  EXPECT_EQ(CodePageOfName(u"_iso-2022-jp"), 50221);  // first in sort order
  EXPECT_EQ(CodePageOfName(u"x_chinese-eten"), 20002);  // last in sort order
  EXPECT_EQ(CodePageOfName(u"gb2312"), 936);
  EXPECT_EQ(CodePageOfName(u"gb18030"), 54936);
  EXPECT_EQ(CodePageOfName(u"shift_jis"), 932);
  EXPECT_EQ(CodePageOfName(u"iso_8859-9:1989"), 28599);
  EXPECT_EQ(CodePageOfName(u"iso-8859-8-i"), 38598);
  EXPECT_EQ(CodePageOfName(u"pc-multilingual-850+euro"), 858);
  EXPECT_EQ(CodePageOfName(u"_iso-2022-jp$sio"), 50222);
  EXPECT_EQ(CodePageOfName(u"extended_unix_code_packed_format_for_japanese"), 20932);
  EXPECT_EQ(CodePageOfName(u"x-mac-ce"), 10029);
  EXPECT_EQ(CodePageOfName(u"x-iscii-pa"), 57011);
  EXPECT_EQ(CodePageOfName(u"x-cp50227"), 50227);
  EXPECT_EQ(CodePageOfName(u"koi8-ru"), 21866);
  EXPECT_EQ(CodePageOfName(u"us"), 20127);
  EXPECT_EQ(CodePageOfName(u"utf8"), 65001);
}

TEST(CodePageOfName, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(CodePageOfName(u"GBK"), 936);
  EXPECT_EQ(CodePageOfName(u"Windows-1252"), 1252);
  EXPECT_EQ(CodePageOfName(u"ISO-8859-15"), 28605);
  EXPECT_EQ(CodePageOfName(u"\uFF27\uFF22\uFF2B"), -1);  // full-width "GBK"
}

TEST(CodePageOfName, UnknownNamesGiveMinusOne) {
  EXPECT_EQ(CodePageOfName(u""), -1);
  EXPECT_EQ(CodePageOfName(u"gb-2312"), -1);
  EXPECT_EQ(CodePageOfName(u"utf-8 "), -1);
  EXPECT_EQ(CodePageOfName(u"cp1256 "), -1);
  EXPECT_EQ(CodePageOfName(u"gbk\u00E9"), -1);
  EXPECT_EQ(CodePageOfName(WString(150, u'a')), -1);
}

TEST(CodePageOfName, EbcdicNamesAreNotTakenForADosCodePage) {
  EXPECT_EQ(CodePageOfName(u"cp500"), -1);
  EXPECT_EQ(CodePageOfName(u"csibm500"), -1);
  EXPECT_EQ(CodePageOfName(u"ebcdic-cp-be"), -1);
  EXPECT_EQ(CodePageOfName(u"ebcdic-cp-ch"), -1);
}

// --- Decoding by code page -----------------------------------------------------------------

TEST(DecodeCodePage, CodePagesWithoutAnExactDecoderGiveNothing) {
  EXPECT_EQ(DecodeCodePage("abc", 720), std::nullopt);    // DOS-720
  EXPECT_EQ(DecodeCodePage("abc", 10001), std::nullopt);  // x-mac-japanese
  EXPECT_EQ(DecodeCodePage("abc", 57002), std::nullopt);  // x-iscii-de
  EXPECT_EQ(DecodeCodePage("abc", 0), std::nullopt);
  EXPECT_EQ(DecodeCodePage("abc", -1), std::nullopt);
}

// On Windows the system's own tables decode: a code page the system lacks (Wine has fewer than
// Windows) gives no text there, as it always did.
TEST(DecodeCodePage, EveryCodePageOfTheTableDecodes) {
  int decoded = 0;
  for (int32_t codePage = 1; codePage <= 65535; ++codePage) {
    const CodePageDecoder* decoder = FindCodePage(codePage);
    if (decoder == nullptr) continue;
#ifdef _WIN32
    const auto system = static_cast<UINT>(decoder->WindowsCodePage());
    const auto fallback = static_cast<UINT>(decoder->windowsFallback);
    const bool present = IsUnicodeForm(decoder->WindowsCodePage()) || IsValidCodePage(system) ||
                         (fallback != 0 && IsValidCodePage(fallback));
    if (!present) continue;
#endif
    ++decoded;
    EXPECT_TRUE(DecodeCodePage("A", codePage)) << codePage << " " << decoder->charset;
  }
#ifdef _WIN32
  EXPECT_GT(decoded, 40);
#else
  EXPECT_GT(decoded, 70);
#endif
}

// A code page with the same bytes as another decodes as that one on both platforms, whether or
// not the system has a table of its own for it.
TEST(DecodeCodePage, CodePagesWithTheSameBytesDecodeAlike) {
  EXPECT_EQ(DecodeCodePage("\xD6\xD0", 51936), u"\u4E2D");  // EUC-CN as GB2312
  EXPECT_EQ(DecodeCodePage("\xD6\xD0", 20936), u"\u4E2D");
  EXPECT_EQ(DecodeCodePage("\xB0\xA1", 20949), u"\uAC00");  // Korean Wansung as EUC-KR
  EXPECT_EQ(DecodeCodePage("\xB0\xA1", 51949), u"\uAC00");
  EXPECT_EQ(DecodeCodePage("\xE0", 38598), u"\u05D0");  // logical Hebrew as ISO-8859-8
}

TEST(DecodeCodePage, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(DecodeCodePage("a\xFF" "b", 65001), u"a\uFFFDb");
}

TEST(DecodeCodePage, Utf16InEitherByteOrder) {
  EXPECT_EQ(DecodeCodePage(std::string("A\0\x2D\x4E", 4), kUtf16LeCodePage), u"A\u4E2D");
  EXPECT_EQ(DecodeCodePage(std::string("\0A\x4E\x2D", 4), kUtf16BeCodePage), u"A\u4E2D");
}

TEST(DecodeCodePage, Utf32IsCodePointsWithSurrogatePairs) {
  std::string little("A\0\0\0\x00\xF6\x01\x00", 8);  // U+0041, U+1F600
  EXPECT_EQ(DecodeCodePage(little, kUtf32LeCodePage), u"A\xD83D\xDE00");
  EXPECT_EQ(DecodeCodePage(std::string("\0\0\0A\0\x01\xF6\x00", 8), kUtf32BeCodePage),
            u"A\xD83D\xDE00");
}

TEST(DecodeCodePage, Utf32ValuesThatAreNoCharacterBecomeReplacementCharacters) {
  std::string bytes("\x00\x00\x11\x00\x00\xD8\x00\x00" "B\0\0\0" "C\0", 14);
  EXPECT_EQ(DecodeCodePage(bytes, kUtf32LeCodePage), u"\uFFFD\uFFFDB\uFFFD");
}

}  // namespace
}  // namespace text
