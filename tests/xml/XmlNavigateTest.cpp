// Navigation and reading: the three-position cursor, name requests, attributes and text.
#include <gtest/gtest.h>

#include "xml/XmlDocument.h"

namespace xml {
namespace {

TEST(XmlNavigate, ChildSearchContinuesAfterTheCurrentChild) {
  XmlDocument doc(u"<a><b x='1'/><c>t</c></a>");
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"c"));
  EXPECT_EQ(u"a", doc.GetTagName(doc.CurrentPosition()));
  EXPECT_EQ(u"c", doc.GetTagName(doc.ChildPosition()));
  EXPECT_EQ(u"t", doc.GetChildData());
  EXPECT_FALSE(doc.FindChildElement(u"b"));
  EXPECT_EQ(u"c", doc.GetTagName(doc.ChildPosition()));  // a failed search moves nothing
}

TEST(XmlNavigate, ChildAttributeValuesAndMissingAttributes) {
  XmlDocument doc(u"<a><b x='1'/><b x><b y=\"2\"/></b></a>");
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  EXPECT_EQ(u"1", doc.GetChildAttribute(u"x"));
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  EXPECT_EQ(u"x", doc.GetChildAttribute(u"x"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  EXPECT_EQ(u"2", doc.GetChildAttribute(u"y"));
  EXPECT_EQ(u"", doc.GetChildAttribute(u"x"));
}

TEST(XmlNavigate, AttributeValuesAreDecoded) {
  XmlDocument doc(u"<a t=\"x &lt; y &amp; &#x4E2D;\" u='it&apos;s'/>");
  ASSERT_TRUE(doc.FindElement(u"a"));
  EXPECT_EQ(u"x < y & \u4e2d", doc.GetAttribute(u"t"));
  EXPECT_EQ(u"it's", doc.GetAttribute(u"u"));
}

TEST(XmlNavigate, AttributeNameMatchesExactly) {
  XmlDocument doc(u"<a name=\"n\" Name=\"N\" nam=\"x\"/>");
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(u"N", doc.GetAttribute(u"Name"));
  EXPECT_EQ(u"n", doc.GetAttribute(u"name"));
  EXPECT_EQ(u"", doc.GetAttribute(u"na"));
}

TEST(XmlNavigate, LeaveAtTheDocumentLevelFails) {
  XmlDocument doc(u"<a><b/></a>");
  EXPECT_FALSE(doc.LeaveElement());
  ASSERT_TRUE(doc.FindElement(u"a"));
  EXPECT_FALSE(doc.LeaveElement());
}

TEST(XmlNavigate, EnterWithoutChildPositionStartsTheChildLevel) {
  XmlDocument doc(u"<a><b/><c/></a>");
  ASSERT_TRUE(doc.FindElement(u"a"));
  ASSERT_TRUE(doc.EnterElement());
  EXPECT_EQ(0, doc.CurrentPosition());
  EXPECT_EQ(u"a", doc.GetTagName(doc.ParentPosition()));
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(u"b", doc.GetTagName(doc.CurrentPosition()));
  ASSERT_TRUE(doc.LeaveElement());
  EXPECT_EQ(u"a", doc.GetTagName(doc.CurrentPosition()));
  EXPECT_EQ(u"b", doc.GetTagName(doc.ChildPosition()));
  EXPECT_EQ(0, doc.ParentPosition());
}

TEST(XmlNavigate, EnterFromTheChildPositionMakesItCurrent) {
  XmlDocument doc(u"<a><b><c/></b></a>");
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  ASSERT_TRUE(doc.EnterElement());
  EXPECT_EQ(u"b", doc.GetTagName(doc.CurrentPosition()));
  ASSERT_TRUE(doc.FindChildElement(u"c"));
  EXPECT_EQ(u"c", doc.GetTagName(doc.ChildPosition()));
}

TEST(XmlNavigate, NamePathsMatchOnTheirFirstStepOnly) {
  XmlDocument doc(u"<r><item/><other/></r>");
  for (const char16_t* request : {u"item", u"item[1]", u"item[@id]", u"item[@id='x]y']",
                                  u"item[@id=5]", u"item[last()]", u"item/sub", u"item/sub[2]/x",
                                  u"item/@id", u"item[2]/@id"}) {
    doc.ResetPosition();
    EXPECT_TRUE(doc.FindChildElement(request)) << text::ToUtf8(request);
    EXPECT_EQ(u"item", doc.GetTagName(doc.ChildPosition())) << text::ToUtf8(request);
  }
}

TEST(XmlNavigate, MalformedNamePathsFindNothing) {
  XmlDocument doc(u"<r><item/></r>");
  for (const char16_t* request : {u"/item", u"item[0]", u"item[", u"item[1", u"item]", u"item x",
                                  u"item=", u"item//x", u"item/@id/x", u"item[@]", u"item/"}) {
    doc.ResetPosition();
    EXPECT_FALSE(doc.FindChildElement(request)) << text::ToUtf8(request);
  }
}

TEST(XmlNavigate, NamesCompareCaseSensitivelyAndStopAtDelimiters) {
  XmlDocument doc(u"<r><Item/><item;x/></r>");
  ASSERT_TRUE(doc.FindChildElement(u"item"));
  EXPECT_EQ(3, doc.ChildPosition());  // "item;x" reads as the name "item"
}

TEST(XmlNavigate, DataDecodesReferencesAndKeepsWhitespace) {
  XmlDocument doc(u"<r><p> a &amp; b </p><q>x<!--c-->y<![CDATA[<z>]]></q><s><t/></s><u/></r>");
  ASSERT_TRUE(doc.FindChildElement(u"p"));
  EXPECT_EQ(u" a & b ", doc.GetChildData());
  ASSERT_TRUE(doc.FindChildElement(u"q"));
  EXPECT_EQ(u"xy<z>", doc.GetChildData());
  ASSERT_TRUE(doc.FindChildElement(u"s"));
  EXPECT_EQ(u"", doc.GetChildData());
  ASSERT_TRUE(doc.FindChildElement(u"u"));
  EXPECT_EQ(u"", doc.GetChildData());
}

TEST(XmlNavigate, WhitespaceAfterLiteralGreaterThanBeforeMarkupIsDropped) {
  XmlDocument doc(u"<p>a> <!--c-->b</p>");
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(u"a>b", doc.GetData());
}

TEST(XmlNavigate, ElementContentIsTheRawInnerMarkup) {
  XmlDocument doc(u"<invoke name=\"CheckGame\"><arguments><object><property id=\"GameName\">"
                  u"<string>a&amp;b</string></property></object></arguments></invoke>");
  ASSERT_TRUE(doc.FindElement(u"invoke"));
  EXPECT_EQ(u"CheckGame", doc.GetAttribute(u"name"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement(u"arguments"));
  EXPECT_EQ(u"<object><property id=\"GameName\"><string>a&amp;b</string></property></object>",
            doc.GetElementContent());
}

TEST(XmlNavigate, ReadsOnNothingReturnEmpty) {
  XmlDocument doc(u"<a x='1'>t</a>");
  EXPECT_EQ(u"", doc.GetAttribute(u"x"));
  EXPECT_EQ(u"", doc.GetChildAttribute(u"x"));
  EXPECT_EQ(u"", doc.GetData());
  EXPECT_EQ(u"", doc.GetChildData());
  EXPECT_EQ(u"", doc.GetElementContent());
  EXPECT_EQ(u"", doc.GetTagName(0));
  EXPECT_EQ(u"", doc.GetTagName(12345));
  EXPECT_EQ(u"", doc.GetTagName(-3));
  EXPECT_FALSE(doc.EnterElement());
  XmlDocument empty;
  EXPECT_FALSE(empty.FindElement());
  EXPECT_FALSE(empty.FindChildElement());
}

}  // namespace
}  // namespace xml
