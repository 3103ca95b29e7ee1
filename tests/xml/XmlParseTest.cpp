// Parsing: the element index built from a text, the flags of malformed markup and the report.
#include <gtest/gtest.h>

#include "xml/XmlDocument.h"
#include "xml/detail/IndexCheck.h"
#include "xml/detail/IndexAccess.h"

namespace xml {
namespace {

using detail::ElementRecord;

// Records in document order (pre-order walk), for checks on their fields.
std::vector<const ElementRecord*> Records(const XmlDocument& doc) {
  std::vector<const ElementRecord*> out;
  std::vector<XmlDocument::Position> stack{detail::IndexAccess::Of(doc)[0].firstChild};
  while (!stack.empty()) {
    XmlDocument::Position pos = stack.back();
    stack.pop_back();
    if (pos == 0) continue;
    const ElementRecord& rec = detail::IndexAccess::Of(doc)[pos];
    out.push_back(&rec);
    stack.push_back(rec.next);
    stack.push_back(rec.firstChild);
  }
  return out;
}

TEST(XmlParse, WellFormedDocumentIndexesEveryElement) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Parse(u"<a x='1'><b/><c>t</c></a>"));
  EXPECT_EQ(u"", doc.GetError());
  auto recs = Records(doc);
  ASSERT_EQ(3u, recs.size());
  EXPECT_EQ(0, recs[0]->start);
  EXPECT_EQ(25, recs[0]->length);
  EXPECT_EQ(9, recs[0]->StartTagLength());
  EXPECT_EQ(4, recs[0]->EndTagLength());
  EXPECT_EQ(9, recs[1]->start);
  EXPECT_TRUE(recs[1]->IsEmpty());
  EXPECT_EQ(1, recs[1]->Level());
  EXPECT_EQ(13, recs[2]->start);
  EXPECT_EQ(8, recs[2]->length);
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, EmptyTextIsNotWellFormedAndReportsNothing) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u""));
  EXPECT_EQ(u"", doc.GetError());
  EXPECT_EQ(1, detail::IndexAccess::Of(doc).UsedCount());
  EXPECT_EQ(8, detail::IndexAccess::Of(doc).Capacity());
}

TEST(XmlParse, TextWithoutElementReportsNoRoot) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"just text"));
  EXPECT_EQ(u"<no_root_element/>", doc.GetError());
}

TEST(XmlParse, SecondTopLevelElementIsIndexedButNotWellFormed) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"<a/><b/>"));
  EXPECT_EQ(u"<root_has_sibling/>", doc.GetError());
  EXPECT_TRUE(doc.FindElement(u"b"));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, InnerElementClosedByOuterEndTagIsUnended) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"<a><b></a>"));
  EXPECT_EQ(u"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"7\"/>", doc.GetError());
  auto recs = Records(doc);
  ASSERT_EQ(2u, recs.size());
  EXPECT_TRUE(recs[1]->flags & detail::kFlagUnended);
  EXPECT_EQ(3, recs[1]->length);
  EXPECT_EQ(0, recs[1]->EndTagLength());
  EXPECT_EQ(10, recs[0]->length);
  EXPECT_TRUE(detail::IndexAccess::Of(doc)[0].flags & detail::kFlagParseError);
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, LoneEndTagIsReportedAndChildrenOfUnendedMoveUp) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"<a><b><c/></b2></a>"));
  EXPECT_EQ(u"<lone_end_tag tagname=\"b2\" offset=\"10\"/>"
            u"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"16\"/>",
            doc.GetError());
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  ASSERT_TRUE(doc.FindChildElement(u"c"));
  const ElementRecord& a = detail::IndexAccess::Of(doc)[doc.CurrentPosition()];
  EXPECT_EQ(doc.ChildPosition(), detail::IndexAccess::Of(doc)[a.firstChild].prev);  // c is a's last child
  EXPECT_EQ(1, detail::IndexAccess::Of(doc)[doc.ChildPosition()].Level());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, LoneEndTagLeavesTheOuterElementIntact) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"<a></b></a>"));
  EXPECT_EQ(u"<lone_end_tag tagname=\"b\" offset=\"3\"/>", doc.GetError());
  auto recs = Records(doc);
  ASSERT_EQ(1u, recs.size());
  EXPECT_EQ(11, recs[0]->length);
  EXPECT_TRUE(recs[0]->flags & detail::kFlagInnerError);
}

// Deeper than a short stack walk: end tags are looked up by name, and names popped off the
// stack must no longer be found.
TEST(XmlParse, EndTagsFindTheInnermostOpenNameBelowADeepStack) {
  text::WString t = u"<a>";
  for (int i = 0; i < 30; ++i) t += u"<n" + text::FormatInt(i) + u">";
  const int32_t innerA = static_cast<int32_t>(t.size());
  t += u"<a><b></a>";
  const int32_t n40 = static_cast<int32_t>(t.size());
  t += u"</n40>";
  const int32_t endB = static_cast<int32_t>(t.size());
  t += u"</b>";
  const int32_t endN20 = static_cast<int32_t>(t.size());
  t += u"</n20>";
  const int32_t n25 = static_cast<int32_t>(t.size());
  t += u"</n25></a>";
  auto offset = [](int32_t v) { return text::FormatInt(v); };
  auto at = [&](const char16_t* tag) { return offset(static_cast<int32_t>(t.find(tag))); };
  text::WString expected = u"<unended_start_tag tagname=\"b\" offset=\"" + offset(innerA + 3) +
                           u"\" offset2=\"" + offset(innerA + 7) + u"\"/>" +
                           u"<lone_end_tag tagname=\"n40\" offset=\"" + offset(n40) + u"\"/>" +
                           u"<lone_end_tag tagname=\"b\" offset=\"" + offset(endB) + u"\"/>";
  for (int i = 29; i > 20; --i) {
    text::WString name = u"n" + text::FormatInt(i);
    expected += u"<unended_start_tag tagname=\"" + name + u"\" offset=\"" +
                at((u"<" + name + u">").c_str()) + u"\" offset2=\"" + offset(endN20 + 1) + u"\"/>";
  }
  expected += u"<lone_end_tag tagname=\"n25\" offset=\"" + offset(n25) + u"\"/>";

  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(t));
  EXPECT_EQ(expected, doc.GetError().substr(0, expected.size()));
  ASSERT_TRUE(doc.FindElement(u"a"));
  EXPECT_EQ(static_cast<int32_t>(t.size()), detail::IndexAccess::Of(doc)[doc.CurrentPosition()].length);
  auto recs = Records(doc);
  ASSERT_EQ(33u, recs.size());
  EXPECT_EQ(innerA, recs[31]->start);  // the inner <a>, closed by the first </a>
  EXPECT_EQ(4, recs[31]->EndTagLength());
  EXPECT_EQ(6, recs[21]->EndTagLength());  // <n20>
  EXPECT_TRUE(recs[20]->flags & detail::kFlagUnended);  // <n19>, left open at </a>
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, EndOfTextUnendsEveryOpenElementInnermostFirst) {
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(u"<a><b><c>x"));
  EXPECT_EQ(u"<unended_start_tag tagname=\"c\" offset=\"6\" offset2=\"10\"/>"
            u"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"10\"/>"
            u"<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"10\"/>"
            u"<root_has_sibling/>",
            doc.GetError());
  auto recs = Records(doc);
  ASSERT_EQ(3u, recs.size());
  for (const ElementRecord* rec : recs) EXPECT_EQ(0, rec->Level());
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, ErrorInsideUnendedElementMovesToItsParent) {
  XmlDocument doc;
  doc.Parse(u"<a><b></x></a>");
  auto recs = Records(doc);
  ASSERT_EQ(2u, recs.size());
  EXPECT_TRUE(recs[0]->flags & detail::kFlagInnerError);
  EXPECT_FALSE(recs[1]->flags & detail::kFlagInnerError);
}

TEST(XmlParse, QuotedGreaterThanDoesNotEndStartTag) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Parse(u"<a x=\"1>2\"/>"));
  auto recs = Records(doc);
  ASSERT_EQ(1u, recs.size());
  EXPECT_TRUE(recs[0]->IsEmpty());
  EXPECT_EQ(12, recs[0]->length);
}

TEST(XmlParse, SlashOfUnquotedValueDoesNotCloseTheElement) {
  XmlDocument open;
  EXPECT_FALSE(open.Parse(u"<a href=x/>"));
  EXPECT_TRUE(Records(open)[0]->flags & detail::kFlagUnended);
  XmlDocument valueless;
  EXPECT_FALSE(valueless.Parse(u"<a b=/>"));
  XmlDocument spaced;
  EXPECT_TRUE(spaced.Parse(u"<a href=x />"));
  XmlDocument quoted;
  EXPECT_TRUE(quoted.Parse(u"<a href=\"x\"/>"));
}

TEST(XmlParse, WhitespaceAfterEqualsLeavesAnUnquotedValueEmpty) {
  // Only a quoted value may stand after whitespace; `/` is then no value, so this is empty.
  XmlDocument spaced;
  EXPECT_TRUE(spaced.Parse(u"<a b= />"));
  EXPECT_EQ(u"", spaced.GetError());
  ASSERT_TRUE(spaced.FindElement());
  EXPECT_TRUE(detail::IndexAccess::Of(spaced)[spaced.CurrentPosition()].IsEmpty());
  EXPECT_EQ(u"", spaced.GetAttribute(u"b"));
  XmlDocument quoted;
  EXPECT_TRUE(quoted.Parse(u"<a b= \"/>\" />"));
  ASSERT_TRUE(quoted.FindElement());
  EXPECT_EQ(u"/>", quoted.GetAttribute(u"b"));
  // A second `=` after whitespace starts a value of its own, and its `/` is part of it.
  XmlDocument twice;
  EXPECT_FALSE(twice.Parse(u"<a b= =x/>"));
  EXPECT_TRUE(Records(twice)[0]->flags & detail::kFlagUnended);
}

TEST(XmlParse, DocumentTypeWithQuotedMarkupIsOneNode) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Parse(u"<!DOCTYPE r [ <!ENTITY e \"x>y\"> ]><r/>"));
  auto recs = Records(doc);
  ASSERT_EQ(1u, recs.size());
  EXPECT_EQ(34, recs[0]->start);
}

TEST(XmlParse, CommentsProcessingInstructionsAndCDataAddNoElements) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Parse(u"<?xml version=\"1.0\"?><!-- <x> --><r><![CDATA[<y>]]></r>"));
  EXPECT_EQ(1u, Records(doc).size());
}

TEST(XmlParse, SyntaxErrorsAreReportedWithTheirNodeOffset) {
  struct Case {
    const char16_t* text;
    const char16_t* report;
  } cases[] = {
      {u"<r>< x</r>", u"<first_tag_syntax offset=\"3\"/>"},
      {u"<r><!x></r>", u"<exclamation_tag_syntax offset=\"3\"/>"},
      {u"<r><!-x></r>", u"<comment_tag_syntax offset=\"3\"/>"},
      {u"<r><![x]></r>", u"<cdata_section_syntax offset=\"3\"/>"},
      {u"<r><!-- open",
       u"<unterminated_tag_syntax type=\"comment\" offset=\"3\"/>"
       u"<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"12\"/>"},
      {u"<r a=\"x>", u"<unterminated_tag_syntax type=\"start_tag\" offset=\"0\"/><no_root_element/>"},
      {u"<!DOCTYPE r [ <!x ",
       u"<doctype_tag_syntax offset=\"0\"/>"
       u"<unterminated_tag_syntax type=\"document_type\" offset=\"0\"/><no_root_element/>"},
  };
  for (const Case& c : cases) {
    XmlDocument doc;
    EXPECT_FALSE(doc.Parse(c.text)) << text::ToUtf8(c.text);
    EXPECT_EQ(c.report, doc.GetError()) << text::ToUtf8(c.text);
    EXPECT_EQ("", detail::CheckIndex(doc));
  }
}

TEST(XmlParse, DoctypeErrorIsDroppedWhenTheDeclarationEnds) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Parse(u"<!DOCTYPE r [ <!x ]><r/>"));
  EXPECT_EQ(u"", doc.GetError());
}

TEST(XmlParse, ReparseDiscardsEarlierRecordsAndReport) {
  XmlDocument doc(u"<a><b/><c/></a><d/>");
  EXPECT_TRUE(doc.Parse(u"<z/>"));
  EXPECT_EQ(u"", doc.GetError());
  EXPECT_EQ(2, detail::IndexAccess::Of(doc).UsedCount());
}

TEST(XmlParse, NullTextFreesTheIndexAndLeavesAnEmptyDocument) {
  XmlDocument doc(u"<a/>");
  EXPECT_FALSE(doc.Parse(text::WStringView()));
  EXPECT_EQ(u"", doc.ToString());
  EXPECT_EQ(8, detail::IndexAccess::Of(doc).Capacity());
  EXPECT_FALSE(doc.FindElement());
}

TEST(XmlParse, CapacityFollowsTextLength) {
  text::WString text = u"<r>" + text::WString(6400, u' ') + u"</r>";
  XmlDocument doc(text);
  EXPECT_EQ(static_cast<int32_t>(text.size()) / 64 + 8, detail::IndexAccess::Of(doc).Capacity());
}

TEST(XmlParse, IndexGrowsAcrossBlocksAndPositionsStayValid) {
  text::WString text = u"<r>";
  for (int i = 0; i < 70000; ++i) text += u"<e/>";
  text += u"</r>";
  XmlDocument doc(text);
  EXPECT_EQ(70002, detail::IndexAccess::Of(doc).UsedCount());
  EXPECT_GE(detail::IndexAccess::Of(doc).Capacity(), 70002);
  EXPECT_EQ("", detail::CheckIndex(doc));
  EXPECT_EQ(u"e", doc.GetTagName(70001));
  EXPECT_EQ(u"e", doc.GetTagName(65536));
}

TEST(XmlParse, NestingBeyondTheLevelFieldIsReportedNotIndexed) {
  const int depth = 65537;
  text::WString text;
  for (int i = 0; i < depth; ++i) text += u"<a>";
  for (int i = 0; i < depth; ++i) text += u"</a>";
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(text));
  EXPECT_EQ(65536, detail::IndexAccess::Of(doc).UsedCount() - 1);  // levels 0 to 65,535
  EXPECT_EQ(0, doc.GetError().find(u"<nesting_too_deep tagname=\"a\" offset=\"196608\"/>"));
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, OverlongEndTagClosesNothing) {
  text::WString text = u"<a></a" + text::WString(1100, u' ') + u"></a>";
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(text));
  EXPECT_EQ(u"<end_tag_too_long tagname=\"a\" offset=\"3\"/>", doc.GetError());
  auto recs = Records(doc);
  ASSERT_EQ(1u, recs.size());
  EXPECT_EQ(static_cast<int32_t>(text.size()), recs[0]->length);
  EXPECT_EQ("", detail::CheckIndex(doc));
}

TEST(XmlParse, OverlongStartTagIsSkippedWithItsEndTag) {
  text::WString text = u"<r><a" + text::WString(detail::kMaxStartTagLength, u' ') + u"><b/></a></r>";
  XmlDocument doc;
  EXPECT_FALSE(doc.Parse(text));
  EXPECT_EQ(u"<start_tag_too_long tagname=\"a\" offset=\"3\"/>", doc.GetError());
  auto recs = Records(doc);
  ASSERT_EQ(2u, recs.size());
  EXPECT_EQ(1, recs[1]->Level());  // b hangs under r
  EXPECT_EQ("", detail::CheckIndex(doc));
}

}  // namespace
}  // namespace xml
