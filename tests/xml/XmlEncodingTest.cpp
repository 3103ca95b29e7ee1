#include "xml/XmlEncoding.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "text/CodePage.h"
#include "xml/XmlDocument.h"

namespace xml {
namespace {

using text::WString;

// --- Encoding names ------------------------------------------------------------------------

TEST(CodePageFromName, EmptyNameIsTheAnsiCodePage) { EXPECT_EQ(CodePageFromName(u""), 0); }

TEST(CodePageFromName, FindsNamesAcrossTheTable) {
  EXPECT_EQ(CodePageFromName(u"_iso-2022-jp"), 50221);  // first in sort order
  EXPECT_EQ(CodePageFromName(u"x_chinese-eten"), 20002);  // last in sort order
  EXPECT_EQ(CodePageFromName(u"gb2312"), 936);
  EXPECT_EQ(CodePageFromName(u"gb18030"), 54936);
  EXPECT_EQ(CodePageFromName(u"shift_jis"), 932);
  EXPECT_EQ(CodePageFromName(u"iso_8859-9:1989"), 28599);
  EXPECT_EQ(CodePageFromName(u"iso-8859-8-i"), 38598);
  EXPECT_EQ(CodePageFromName(u"pc-multilingual-850+euro"), 858);
  EXPECT_EQ(CodePageFromName(u"_iso-2022-jp$sio"), 50222);
  EXPECT_EQ(CodePageFromName(u"extended_unix_code_packed_format_for_japanese"), 20932);
  EXPECT_EQ(CodePageFromName(u"x-mac-ce"), 10029);
  EXPECT_EQ(CodePageFromName(u"x-iscii-pa"), 57011);
  EXPECT_EQ(CodePageFromName(u"x-cp50227"), 50227);
  EXPECT_EQ(CodePageFromName(u"koi8-ru"), 21866);
  EXPECT_EQ(CodePageFromName(u"us"), 20127);
  EXPECT_EQ(CodePageFromName(u"utf8"), 65001);
}

TEST(CodePageFromName, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(CodePageFromName(u"GBK"), 936);
  EXPECT_EQ(CodePageFromName(u"Windows-1252"), 1252);
  EXPECT_EQ(CodePageFromName(u"ISO-8859-15"), 28605);
  EXPECT_EQ(CodePageFromName(u"\uFF27\uFF22\uFF2B"), -1);  // full-width "GBK"
}

TEST(CodePageFromName, UnknownNamesGiveMinusOne) {
  EXPECT_EQ(CodePageFromName(u"gb-2312"), -1);
  EXPECT_EQ(CodePageFromName(u"utf-8 "), -1);
  EXPECT_EQ(CodePageFromName(u"cp1256 "), -1);
  EXPECT_EQ(CodePageFromName(u"gbk\u00E9"), -1);
  EXPECT_EQ(CodePageFromName(WString(150, u'a')), -1);
}

TEST(CodePageFromName, EbcdicNamesAreNotTakenForADosCodePage) {
  EXPECT_EQ(CodePageFromName(u"cp500"), -1);
  EXPECT_EQ(CodePageFromName(u"csibm500"), -1);
  EXPECT_EQ(CodePageFromName(u"ebcdic-cp-be"), -1);
  EXPECT_EQ(CodePageFromName(u"ebcdic-cp-ch"), -1);
}

TEST(CodePageFromName, CapitalUtf32PrefixIsUtf32WhateverFollows) {
  EXPECT_EQ(CodePageFromName(u"UTF-32"), 12000);
  EXPECT_EQ(CodePageFromName(u"UTF-32LE"), 12000);
  EXPECT_EQ(CodePageFromName(u"UTF-32 (little endian)"), 12000);
  EXPECT_EQ(CodePageFromName(u"UTF-32" + WString(200, u'x')), 12000);
  EXPECT_EQ(CodePageFromName(u"Utf-32x"), -1);  // the prefix rule wants capitals
}

TEST(CodePageFromName, BigEndianUtf32KeepsItsByteOrderInAnySpelling) {
  EXPECT_EQ(CodePageFromName(u"UTF-32BE"), 12001);
  EXPECT_EQ(CodePageFromName(u"utf-32be"), 12001);
  EXPECT_EQ(CodePageFromName(u"UTF32BE"), 12001);
}

// --- Code pages to charsets --------------------------------------------------------------

TEST(CharsetOfCodePage, AnsiCodePageIsGbk) {
  EXPECT_STREQ(CharsetOfCodePage(0), "GBK");
  EXPECT_STREQ(CharsetOfCodePage(936), "GBK");
}

TEST(CharsetOfCodePage, CodePagesIconvLacksHaveNoCharset) {
  EXPECT_EQ(CharsetOfCodePage(720), nullptr);
  EXPECT_EQ(CharsetOfCodePage(10001), nullptr);
  EXPECT_EQ(CharsetOfCodePage(57002), nullptr);
  EXPECT_EQ(CharsetOfCodePage(-1), nullptr);
}

// On Windows the system's own tables decode: a code page the system lacks (Wine has fewer than
// Windows) gives no text there, as it always did.
TEST(CharsetOfCodePage, EveryMappedCharsetCanBeDecoded) {
  int mapped = 0;
  for (int32_t codePage = 1; codePage <= 65535; ++codePage) {
    const char* charset = CharsetOfCodePage(codePage);
    if (charset == nullptr) continue;
#ifdef _WIN32
    bool unicode = codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001;
    if (!unicode && !IsValidCodePage(static_cast<UINT>(codePage))) continue;
#endif
    ++mapped;
    EXPECT_TRUE(text::DecodeBytes("A", charset)) << codePage << " " << charset;
  }
#ifdef _WIN32
  EXPECT_GT(mapped, 40);
#else
  EXPECT_GT(mapped, 70);
#endif
}

// --- Conversion -----------------------------------------------------------------------------

TEST(ConvertText, DeclaredGb2312IsDecodedAsGbk) {
  EXPECT_EQ(ConvertText("\xD6\xD0\xCE\xC4", u"gb2312"), u"\u4E2D\u6587");
}

TEST(ConvertText, EmptyOrUnknownNameMeansTheAnsiCodePage) {
  EXPECT_EQ(ConvertText("a\xD6\xD0", u""), u"a\u4E2D");
  EXPECT_EQ(ConvertText("a\xD6\xD0", u"no-such-charset"), u"a\u4E2D");
}

TEST(ConvertText, CodePageWithoutConverterGivesNoText) {
  EXPECT_EQ(ConvertText("abc", u"x-mac-japanese"), u"");
}

TEST(ConvertText, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(ConvertText("a\xFF" "b", u"utf-8"), u"a\uFFFDb");
}

TEST(ConvertText, Utf16NamesDecodeTheirByteOrder) {
  EXPECT_EQ(ConvertText(std::string("A\0\x2D\x4E", 4), u"utf-16"), u"A\u4E2D");
  EXPECT_EQ(ConvertText(std::string("\0A\x4E\x2D", 4), u"utf-16be"), u"A\u4E2D");
}

TEST(ConvertText, Utf32IsLittleEndianCodePointsWithSurrogatePairs) {
  std::string bytes("A\0\0\0\x00\xF6\x01\x00", 8);  // U+0041, U+1F600
  EXPECT_EQ(ConvertText(bytes, u"UTF-32"), u"A\xD83D\xDE00");
}

TEST(ConvertText, Utf32ValuesThatAreNoCharacterBecomeReplacementCharacters) {
  std::string bytes("\x00\x00\x11\x00\x00\xD8\x00\x00" "B\0\0\0" "C\0", 14);
  EXPECT_EQ(ConvertText(bytes, u"UTF-32"), u"\uFFFD\uFFFDB\uFFFD");
}

TEST(ConvertText, BigEndianUtf32) {
  EXPECT_EQ(ConvertText(std::string("\0\0\0A\0\x01\xF6\x00", 8), u"UTF-32BE"), u"A\xD83D\xDE00");
}

// --- UTF-8 check ----------------------------------------------------------------------------

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

// --- Declared encoding ----------------------------------------------------------------------

WString Detect(const char16_t* text) { return XmlDocument::DetectDeclaredEncoding(text); }

TEST(DetectDeclaredEncoding, XmlDeclarationAtTheStart) {
  EXPECT_EQ(Detect(u"<?xml version=\"1.0\" encoding=\"gb2312\"?><a/>"), u"gb2312");
}

TEST(DetectDeclaredEncoding, DeclarationNamesMatchInAnyCaseAndValueIsRaw) {
  EXPECT_EQ(Detect(u"<?XML Encoding='GBK' version='1.0'?>"), u"GBK");
  EXPECT_EQ(Detect(u"<?xml encoding=\"a&amp;b\"?>"), u"a&amp;b");
}

TEST(DetectDeclaredEncoding, DeclarationWithoutEncodingStopsTheScan) {
  EXPECT_EQ(Detect(u"<?xml version=\"1.0\"?><html><meta http-equiv=\"Content-Type\" "
                   u"content=\"text/html; charset=gbk\">"),
            u"");
  EXPECT_EQ(Detect(u"<?xml version=\"1.0\" encoding?>"), u"");
  EXPECT_EQ(Detect(u"<?xml?><html><meta http-equiv=\"Content-Type\" content=\"charset=gbk\">"),
            u"");
}

TEST(DetectDeclaredEncoding, DeclarationAfterLeadingWhitespaceIsNotLookedAt) {
  EXPECT_EQ(Detect(u" <?xml version=\"1.0\" encoding=\"gb2312\"?><a/>"), u"");
}

TEST(DetectDeclaredEncoding, HtmlMetaContentTypeCharset) {
  EXPECT_EQ(Detect(u"<html><head><meta http-equiv=\"content-type\" "
                   u"content=\"text/html; charset=GBK\">"),
            u"GBK");
}

TEST(DetectDeclaredEncoding, CharsetTokensIgnoreSpacesAndQuotes) {
  EXPECT_EQ(Detect(u"<HTML><META HTTP-EQUIV=\"Content-Type\" "
                   u"CONTENT=\"text/html; CHARSET = 'big5'\">"),
            u"big5");
}

TEST(DetectDeclaredEncoding, SkipsCommentsDoctypeAndOtherMeta) {
  EXPECT_EQ(Detect(u"<!DOCTYPE html>\r\n<!-- x --><html><head>"
                   u"<meta name=\"keywords\" content=\"charset=big5\">"
                   u"<meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"/>"),
            u"utf-8");
}

TEST(DetectDeclaredEncoding, FirstElementMustBeHtml) {
  EXPECT_EQ(Detect(u"<body><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"),
            u"");
}

TEST(DetectDeclaredEncoding, EndOfHeadStopsTheScan) {
  EXPECT_EQ(Detect(u"<html><head></head><meta http-equiv=\"Content-Type\" "
                   u"content=\"text/html; charset=gbk\">"),
            u"");
}

TEST(DetectDeclaredEncoding, ContentTypeWithoutCharsetStopsTheScan) {
  EXPECT_EQ(Detect(u"<html><meta http-equiv=\"Content-Type\" content=\"text/html\">"
                   u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"),
            u"");
  EXPECT_EQ(Detect(u"<html><meta http-equiv=\"Content-Type\"><meta http-equiv=\"Content-Type\" "
                   u"content=\"text/html; charset=gbk\">"),
            u"");
  EXPECT_EQ(Detect(u"<html><meta http-equiv=\"Content-Type\" content=\"charset=;\">"), u"");
}

TEST(DetectDeclaredEncoding, SyntaxErrorStopsTheScan) {
  EXPECT_EQ(Detect(u"<html><1><meta http-equiv=\"Content-Type\" content=\"charset=gbk\">"), u"");
}

TEST(DetectDeclaredEncoding, PlainDocumentHasNone) {
  EXPECT_EQ(Detect(u"<config><meta http-equiv=\"Content-Type\" content=\"charset=gbk\"/></config>"),
            u"");
  EXPECT_EQ(Detect(u""), u"");
  EXPECT_EQ(Detect(u"just text"), u"");
}

}  // namespace
}  // namespace xml
