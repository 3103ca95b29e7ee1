// Editing: attributes, new elements with their line breaks, content replacement, and the index
// staying consistent with the text after every change.
#include <gtest/gtest.h>

#include "xml/XmlDocument.h"
#include "xml/detail/IndexCheck.h"
#include "xml/detail/IndexAccess.h"

namespace xml {
namespace {

TEST(XmlEdit, WriterPatternProducesTheInvokeMessage) {
  XmlDocument doc;
  ASSERT_TRUE(doc.AddElement(u"invoke"));
  ASSERT_TRUE(doc.SetAttribute(u"name", u"X"));
  ASSERT_TRUE(doc.SetAttribute(u"returntype", u"xml"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.AddElement(u"arguments"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.AddElement(u"number", u"1"));
  EXPECT_EQ(u"<invoke name=\"X\" returntype=\"xml\">\r\n<arguments>\r\n<number>1</number>\r\n"
            u"</arguments>\r\n</invoke>\r\n",
            doc.ToString());
  EXPECT_EQ("", detail::CheckIndex(doc));
  EXPECT_TRUE(doc.Parse(text::WString(doc.ToString())));
}

TEST(XmlEdit, AttributesAreAddedLastAndReplacedInPlace) {
  XmlDocument doc(u"<a/>");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.SetAttribute(u"x", 1));
  EXPECT_EQ(u"<a x=\"1\"/>", doc.ToString());
  ASSERT_TRUE(doc.SetAttribute(u"x", u"a<b"));
  EXPECT_EQ(u"<a x=\"a&lt;b\"/>", doc.ToString());
  ASSERT_TRUE(doc.SetAttribute(u"y", -7));
  ASSERT_TRUE(doc.SetAttribute(u"x", u"say \"hi\""));
  EXPECT_EQ(u"<a x=\"say &quot;hi&quot;\" y=\"-7\"/>", doc.ToString());
  EXPECT_EQ(u"say \"hi\"", doc.GetAttribute(u"x"));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, AttributeReplacementKeepsOtherQuotingAndLaterElements) {
  XmlDocument doc(u"<r><a  k='old'  z=v >t</a><b/></r>");
  ASSERT_TRUE(doc.FindChildElement(u"a"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.SetAttribute(u"k", u"new value"));
  ASSERT_TRUE(doc.SetAttribute(u"z", u"w"));
  ASSERT_TRUE(doc.SetAttribute(u"n", u"1"));
  EXPECT_EQ(u"<r><a  k=\"new value\"  z=\"w\" n=\"1\" >t</a><b/></r>", doc.ToString());
  EXPECT_EQ(u"t", doc.GetData());
  ASSERT_TRUE(doc.FindElement(u"b"));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, NewAttributeGoesAfterATrailingEquals) {
  XmlDocument doc(u"<a b=>t</a>");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.SetAttribute(u"c", u"1"));
  EXPECT_EQ(u"<a b= c=\"1\">t</a>", doc.ToString());
  EXPECT_EQ(u"t", doc.GetData());
  EXPECT_EQ("", detail::CheckIndex(doc));
  // Before the whitespace that ends the tag; the empty element stays empty when read again.
  XmlDocument spaced(u"<a b= />");
  ASSERT_TRUE(spaced.FindElement());
  ASSERT_TRUE(spaced.SetAttribute(u"c", u"1"));
  EXPECT_EQ(u"<a b= c=\"1\" />", spaced.ToString());
  XmlDocument again(spaced.ToString());
  EXPECT_TRUE(again.IsWellFormed());
  ASSERT_TRUE(again.FindElement());
  EXPECT_TRUE(detail::IndexAccess::Of(again)[again.CurrentPosition()].IsEmpty());
}

TEST(XmlEdit, EmptyValueBeforeSpacedEmptyElementCloseIsReplaced) {
  XmlDocument doc(u"<a b= />");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.SetAttribute(u"b", u"2"));
  ASSERT_TRUE(doc.SetAttribute(u"c", u"3"));
  EXPECT_EQ(u"<a b= \"2\" c=\"3\"/>", doc.ToString());
  XmlDocument again(doc.ToString());
  ASSERT_TRUE(again.FindElement());
  EXPECT_TRUE(detail::IndexAccess::Of(again)[again.CurrentPosition()].IsEmpty());
  EXPECT_EQ(u"2", again.GetAttribute(u"b"));
  EXPECT_EQ(u"3", again.GetAttribute(u"c"));
}

TEST(XmlEdit, ValuelessAttributeGetsItsValueAfterTheName) {
  XmlDocument doc(u"<b x>t</b>");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.SetAttribute(u"x", u"2"));
  EXPECT_EQ(u"<b x=\"2\">t</b>", doc.ToString());
}

TEST(XmlEdit, AddChildToSelfClosedElementOpensIt) {
  XmlDocument doc(u"<p/>");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.AddChildElement(u"x"));
  EXPECT_EQ(u"<p>\r\n<x/>\r\n</p>", doc.ToString());
  EXPECT_EQ(u"x", doc.GetTagName(doc.ChildPosition()));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, AddChildToElementWithoutContent) {
  XmlDocument doc(u"<p></p>");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.AddChildElement(u"x"));
  EXPECT_EQ(u"<p>\r\n<x/>\r\n</p>", doc.ToString());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, AddChildWithoutChildPositionGoesLast) {
  XmlDocument doc(u"<p>\r\n<y/>\r\n</p>");
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.AddChildElement(u"x"));
  EXPECT_EQ(u"<p>\r\n<y/>\r\n<x/>\r\n</p>", doc.ToString());
  ASSERT_TRUE(doc.AddChildElement(u"z", u"1 < 2"));
  EXPECT_EQ(u"<p>\r\n<y/>\r\n<x/>\r\n<z>1 &lt; 2</z>\r\n</p>", doc.ToString());
  EXPECT_EQ(u"1 < 2", doc.GetChildData());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, AddChildAfterTheChildPosition) {
  XmlDocument doc(u"<p><a/><c/></p>");
  ASSERT_TRUE(doc.FindChildElement(u"a"));
  ASSERT_TRUE(doc.AddChildElement(u"b"));
  EXPECT_EQ(u"<p><a/><b/>\r\n<c/></p>", doc.ToString());
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement());
  ASSERT_TRUE(doc.FindChildElement());
  EXPECT_EQ(u"b", doc.GetTagName(doc.ChildPosition()));
  ASSERT_TRUE(doc.FindChildElement());
  EXPECT_EQ(u"c", doc.GetTagName(doc.ChildPosition()));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, AddChildToUnendedElementClosesIt) {
  XmlDocument doc(u"<r><p></r>");
  ASSERT_TRUE(doc.FindChildElement(u"p"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.AddChildElement(u"x"));
  EXPECT_EQ(u"<r><p>\r\n<x/>\r\n</p></r>", doc.ToString());
  EXPECT_FALSE(detail::IndexAccess::Of(doc)[doc.CurrentPosition()].flags & detail::kFlagUnended);
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, AddElementAfterResetAppendsAtTheDocumentEnd) {
  XmlDocument doc(u"<a/>\r\n");
  ASSERT_TRUE(doc.AddElement(u"b"));
  EXPECT_EQ(u"<a/>\r\n<b/>\r\n", doc.ToString());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, NoLineBreakOptionWritesElementsBackToBack) {
  XmlDocument doc;
  ASSERT_TRUE(doc.AddElement(u"a", {}, XmlDocument::kNoLineBreak));
  ASSERT_TRUE(doc.AddElement(u"b", u"t", XmlDocument::kNoLineBreak));
  ASSERT_TRUE(doc.AddChildElement(u"c", {}, XmlDocument::kNoLineBreak));
  EXPECT_EQ(u"<a/><b>t<c/></b>", doc.ToString());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, NamesThatWouldNotReadBackAreRefused) {
  XmlDocument doc(u"<a/>");
  ASSERT_TRUE(doc.FindElement());
  EXPECT_FALSE(doc.AddChildElement(u""));
  EXPECT_FALSE(doc.AddChildElement(u"a b"));
  EXPECT_FALSE(doc.AddChildElement(u"1a"));
  EXPECT_FALSE(doc.AddChildElement(text::WString(1021, u'n')));
  EXPECT_FALSE(doc.SetAttribute(u"x=y", u"1"));
  EXPECT_EQ(u"<a/>", doc.ToString());
}

TEST(XmlEdit, EditsOnNothingChangeNothing) {
  XmlDocument doc(u"<a/>");
  EXPECT_FALSE(doc.SetAttribute(u"x", u"1"));
  EXPECT_FALSE(doc.AddChildElement(u"x"));
  EXPECT_FALSE(doc.SetElementContent(u"<x/>"));
  EXPECT_EQ(u"<a/>", doc.ToString());
}

TEST(XmlEdit, ContentReplacementOpensAnEmptyElement) {
  XmlDocument doc(u"<object><property id=\"a\"/></object>");
  ASSERT_TRUE(doc.FindChildElement(u"property"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.SetElementContent(u"<string>v</string>"));
  EXPECT_EQ(u"<object><property id=\"a\"><string>v</string></property></object>", doc.ToString());
  ASSERT_TRUE(doc.FindChildElement(u"string"));
  EXPECT_EQ(u"v", doc.GetChildData());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, ContentReplacementReleasesTheOldChildren) {
  XmlDocument doc(u"<r><p><a><b/></a><c/></p><q x='1'/></r>");
  ASSERT_TRUE(doc.FindChildElement(u"p"));
  ASSERT_TRUE(doc.EnterElement());
  int32_t before = detail::IndexAccess::Of(doc).UsedCount();
  ASSERT_TRUE(doc.SetElementContent(u"<n>1</n><n>2</n>"));
  EXPECT_EQ(u"<r><p><n>1</n><n>2</n></p><q x='1'/></r>", doc.ToString());
  EXPECT_EQ(before + 3, detail::IndexAccess::Of(doc).UsedCount());  // holder and two new records, none reused
  for (XmlDocument::Position pos : {3, 4, 5}) {
    EXPECT_TRUE(detail::IndexAccess::Of(doc)[pos].flags & detail::kFlagReleased);
  }
  ASSERT_TRUE(doc.FindElement(u"q"));
  EXPECT_EQ(u"1", doc.GetAttribute(u"x"));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, MalformedContentIsWrittenButReported) {
  XmlDocument doc(u"<r><p>old</p></r>");
  ASSERT_TRUE(doc.FindChildElement(u"p"));
  ASSERT_TRUE(doc.EnterElement());
  EXPECT_FALSE(doc.SetElementContent(u"<a><b></a>"));
  EXPECT_EQ(u"<r><p><a><b></a></p></r>", doc.ToString());
  EXPECT_EQ(u"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"7\"/>", doc.GetError());
  EXPECT_EQ("", detail::CheckIndex(doc));
  EXPECT_FALSE(doc.SetElementContent(u"x</y>"));
  EXPECT_TRUE(detail::IndexAccess::Of(doc)[doc.CurrentPosition()].flags & detail::kFlagInnerError);
  EXPECT_TRUE(doc.SetElementContent(u"fine"));
  EXPECT_EQ(u"", doc.GetError());
  EXPECT_FALSE(detail::IndexAccess::Of(doc)[doc.CurrentPosition()].flags & detail::kFlagInnerError);
  EXPECT_EQ(u"<r><p>fine</p></r>", doc.ToString());
}

TEST(XmlEdit, ContentOfUnendedElementGetsAnEndTag) {
  XmlDocument doc(u"<r><p></r>");
  ASSERT_TRUE(doc.FindChildElement(u"p"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.SetElementContent(u"<s/>"));
  EXPECT_EQ(u"<r><p><s/></p></r>", doc.ToString());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlEdit, ReplyCopiesRequestMarkupIntoAProperty) {
  XmlDocument reply;
  reply.AddElement(u"invoke");
  reply.SetAttribute(u"name", u"CheckGameResult");
  reply.EnterElement();
  reply.AddElement(u"arguments");
  reply.EnterElement();
  reply.AddElement(u"object");
  reply.EnterElement();
  reply.AddElement(u"property");
  reply.SetAttribute(u"id", u"GameParam");
  ASSERT_TRUE(reply.SetElementContent(u"<number>7</number>"));
  reply.AddElement(u"property");
  reply.SetAttribute(u"id", u"Result");
  reply.AddChildElement(u"number", u"0");
  EXPECT_EQ(u"<invoke name=\"CheckGameResult\">\r\n<arguments>\r\n<object>\r\n"
            u"<property id=\"GameParam\"><number>7</number></property>\r\n"
            u"<property id=\"Result\">\r\n<number>0</number>\r\n</property>\r\n"
            u"</object>\r\n</arguments>\r\n</invoke>\r\n",
            reply.ToString());
  EXPECT_EQ("", detail::CheckIndex(reply));
}

TEST(XmlEdit, ReportEntriesCapAtAThousandUnits) {
  text::WString text = u"<r>";
  for (int i = 0; i < 200; ++i) text += u"</x>";
  text += u"</r>";
  XmlDocument doc;
  doc.Parse(text);
  EXPECT_GE(doc.GetError().size(), 1000u);
  EXPECT_LT(doc.GetError().size(), 1100u);
  // The cap stops whole entries: the text still parses as complete entries.
  XmlDocument report(doc.GetError());
  EXPECT_EQ(u"<root_has_sibling/>", report.GetError());
}

}  // namespace
}  // namespace xml
