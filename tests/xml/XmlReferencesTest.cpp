// Character references: escaping written values and decoding references in read values.
#include <gtest/gtest.h>

#include "xml/detail/Entities.h"

namespace xml::detail {
namespace {

text::WString Unescape(text::WStringView s) {
  return UnescapeText(s, 0, static_cast<int32_t>(s.size()));
}

TEST(XmlEscape, TextModeEscapesMarkupCharactersOnly) {
  EXPECT_EQ(u"a&lt;b&amp;c&gt;d\"e'f", EscapeText(u"a<b&c>d\"e'f", false));
}

TEST(XmlEscape, AttributeModeAlsoEscapesBothQuotes) {
  EXPECT_EQ(u"a&lt;b&amp;c&gt;d&quot;e&apos;f", EscapeText(u"a<b&c>d\"e'f", true));
}

TEST(XmlUnescape, NumericReferencesInDecimalAndHex) {
  EXPECT_EQ(u"AA&", Unescape(u"&#x41;&#65;&amp;"));
  EXPECT_EQ(u"A", Unescape(u"&#X41;"));
}

TEST(XmlUnescape, CodePointsAboveTheBasicPlaneBecomeSurrogatePairs) {
  EXPECT_EQ(text::WString({char16_t(0xD83D), char16_t(0xDE00)}), Unescape(u"&#x1F600;"));
  EXPECT_EQ(text::WString({char16_t(0xDBFF), char16_t(0xDFFF)}), Unescape(u"&#1114111;"));
}

TEST(XmlUnescape, UnreadableReferencesStayLiteral) {
  EXPECT_EQ(u"&nosuchname;", Unescape(u"&nosuchname;"));
  EXPECT_EQ(u"& amp", Unescape(u"& amp"));
  EXPECT_EQ(u"&amp", Unescape(u"&amp"));
  EXPECT_EQ(u"&;", Unescape(u"&;"));
  EXPECT_EQ(u"&#;&#x;&#12a;", Unescape(u"&#;&#x;&#12a;"));
  EXPECT_EQ(u"&#0;", Unescape(u"&#0;"));
  EXPECT_EQ(u"&#x110000;", Unescape(u"&#x110000;"));  // beyond the last code point
  EXPECT_EQ(u"&\u00e9;", Unescape(u"&\u00e9;"));
}

TEST(XmlUnescape, SemicolonMustFollowWithinTenCharacters) {
  EXPECT_EQ(u"\u03d1", Unescape(u"&thetasym;"));
  EXPECT_EQ(u"&abcdefghij;", Unescape(u"&abcdefghij;"));
}

TEST(XmlUnescape, ReferenceCutByTheRangeEndStaysLiteral) {
  EXPECT_EQ(u"x&amp", UnescapeText(u"x&amp;y", 0, 5));
  EXPECT_EQ(u"&y", UnescapeText(u"x&amp;y", 1, 6));
}

TEST(XmlUnescape, NamesMatchWithoutCaseAndCasePairsKeepTheirSpelling) {
  EXPECT_EQ(u"\u00c9\u00e9", Unescape(u"&Eacute;&eacute;"));
  EXPECT_EQ(u"&<>\"'", Unescape(u"&AMP;&LT;&Gt;&QUOT;&Apos;"));
  EXPECT_EQ(u"\u0394\u03b4", Unescape(u"&Delta;&delta;"));
  EXPECT_EQ(u"\u2021\u2020", Unescape(u"&Dagger;&dagger;"));
  EXPECT_EQ(u"\u21d3\u2193", Unescape(u"&dArr;&darr;"));
  EXPECT_EQ(u"\u0152\u0153\u2033\u2032\u0160\u0161", Unescape(u"&OElig;&oelig;&Prime;&prime;&Scaron;&scaron;"));
  EXPECT_EQ(u"\u00c9", Unescape(u"&EACUTE;"));  // a capital selects the capitalised form
  EXPECT_EQ(u"\u00d0\u00f0", Unescape(u"&eTh;&eth;"));
}

TEST(XmlUnescape, EveryNamedReferenceOfTheTableDecodes) {
  // A sample across the table's regions: Latin-1, Greek, arrows, mathematics, specials.
  EXPECT_EQ(160u, NamedReference(u"nbsp"));
  EXPECT_EQ(255u, NamedReference(u"yuml"));
  EXPECT_EQ(376u, NamedReference(u"Yuml"));
  EXPECT_EQ(402u, NamedReference(u"fnof"));
  EXPECT_EQ(962u, NamedReference(u"sigmaf"));
  EXPECT_EQ(8501u, NamedReference(u"alefsym"));
  EXPECT_EQ(8629u, NamedReference(u"crarr"));
  EXPECT_EQ(8756u, NamedReference(u"there4"));
  EXPECT_EQ(9830u, NamedReference(u"diams"));
  EXPECT_EQ(8364u, NamedReference(u"euro"));
  EXPECT_EQ(39u, NamedReference(u"apos"));
  EXPECT_EQ(0u, NamedReference(u"sigmafx"));
}

TEST(XmlUnescape, TextWithoutReferencesIsCopied) {
  EXPECT_EQ(u"plain \u4e2d\u6587 text", Unescape(u"plain \u4e2d\u6587 text"));
}

}  // namespace
}  // namespace xml::detail
