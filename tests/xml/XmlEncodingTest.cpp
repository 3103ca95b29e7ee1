#include "xml/XmlEncoding.h"

#include <gtest/gtest.h>

#include <string>

#include "text/CodePage.h"
#include "xml/XmlDocument.h"

namespace xml {
namespace {

using text::WString;

// --- Encoding names ------------------------------------------------------------------------

TEST(CodePageFromName, EmptyNameIsTheDefaultCodePage) { EXPECT_EQ(CodePageFromName(u""), 0); }

TEST(CodePageFromName, NamesAreLookedUpInTheEncodingsTable) {
  EXPECT_EQ(CodePageFromName(u"GB2312"), 936);
  EXPECT_EQ(CodePageFromName(u"no-such-charset"), -1);
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

// --- Conversion -----------------------------------------------------------------------------

TEST(ConvertText, DeclaredGb2312IsDecodedAsGbk) {
  EXPECT_EQ(ConvertText("\xD6\xD0\xCE\xC4", u"gb2312"), u"\u4E2D\u6587");
}

// GBK here and under the test's Wine, whose system code page is 936.
TEST(ConvertText, EmptyOrUnknownNameMeansTheAnsiCodePage) {
  EXPECT_EQ(ConvertText("a\xD6\xD0", u""), u"a\u4E2D");
  EXPECT_EQ(ConvertText("a\xD6\xD0", u"no-such-charset"), u"a\u4E2D");
  EXPECT_EQ(ConvertText("a\xD6\xD0", u""), text::DecodeAnsi("a\xD6\xD0"));
}

TEST(ConvertText, CodePageWithoutConverterGivesNoText) {
  EXPECT_EQ(ConvertText("abc", u"x-mac-japanese"), u"");
}

TEST(ConvertText, CapitalUtf32PrefixDecodesUtf32) {
  EXPECT_EQ(ConvertText(std::string("A\0\0\0", 4), u"UTF-32 (little endian)"), u"A");
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
