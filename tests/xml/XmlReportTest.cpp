// The result report: one empty element per event, attributes chosen by the option bits.
#include <gtest/gtest.h>

#include "xml/detail/Report.h"

namespace xml::detail {
namespace {

TEST(XmlReport, EntryWithoutDataOrValuesIsABareElement) {
  text::WString report;
  AddReportEntry(report, u"bom", std::nullopt, 0, -1, -1);
  EXPECT_EQ(u"<bom/>", report);
}

TEST(XmlReport, DataAttributeNameFollowsTheOptions) {
  text::WString report;
  AddReportEntry(report, u"a", u"x", kReportType, -1, -1);
  AddReportEntry(report, u"b", u"x", kReportEncoding, -1, -1);
  AddReportEntry(report, u"c", u"x", kReportMsg, -1, -1);
  AddReportEntry(report, u"d", u"x", 0, -1, -1);
  AddReportEntry(report, u"e", u"x", kReportType | kReportEncoding | kReportMsg, -1, -1);
  EXPECT_EQ(u"<a type=\"x\"/><b encoding=\"x\"/><c msg=\"x\"/><d tagname=\"x\"/><e type=\"x\"/>",
            report);
}

TEST(XmlReport, NumberAttributeNameFollowsTheOptions) {
  text::WString report;
  AddReportEntry(report, u"a", std::nullopt, kReportN, 2, -1);
  AddReportEntry(report, u"b", std::nullopt, kReportCount, 3, -1);
  AddReportEntry(report, u"c", std::nullopt, kReportLength, -1, -1);
  AddReportEntry(report, u"d", std::nullopt, 0, 5, 9);
  AddReportEntry(report, u"e", std::nullopt, kReportN | kReportCount, 6, -1);
  EXPECT_EQ(u"<a n=\"2\"/><b count=\"3\"/><c length=\"-1\"/><d offset=\"5\" offset2=\"9\"/><e n=\"6\"/>",
            report);
}

TEST(XmlReport, DataIsEscapedAsAnAttributeValue) {
  text::WString report;
  AddReportEntry(report, u"file_error", u"can't \"open\" <x>", kReportMsg | kReportN, 2, -1);
  EXPECT_EQ(u"<file_error msg=\"can&apos;t &quot;open&quot; &lt;x&gt;\" n=\"2\"/>", report);
}

TEST(XmlReport, UpdateRewritesTheFirstEntryOfThatName) {
  text::WString report = u"<read encoding=\"\" length=\"5\"/><read length=\"1\"/><utf8_detection/>";
  AddReportEntry(report, u"read", u"UTF-8", kReportUpdate | kReportEncoding, -1, -1);
  EXPECT_EQ(u"<read encoding=\"UTF-8\" length=\"5\"/><read length=\"1\"/><utf8_detection/>", report);
}

TEST(XmlReport, UpdateOfAMissingEntryAddsNothing) {
  text::WString report = u"<bom/>";
  AddReportEntry(report, u"read", u"UTF-8", kReportUpdate | kReportEncoding, -1, -1);
  EXPECT_EQ(u"<bom/>", report);
}

TEST(XmlReport, ReportOfAThousandUnitsTakesNoMoreEntries) {
  text::WString report(999, u' ');
  AddReportEntry(report, u"a", std::nullopt, 0, -1, -1);
  EXPECT_EQ(1003u, report.size());  // one more while below the cap
  AddReportEntry(report, u"b", std::nullopt, 0, -1, -1);
  EXPECT_EQ(1003u, report.size());
}

}  // namespace
}  // namespace xml::detail
