#include "xml/detail/Report.h"

#include "xml/XmlDocument.h"

namespace xml::detail {

namespace {

const char16_t* DataName(uint32_t options) {
  if (options & kReportType) return u"type";
  if (options & kReportEncoding) return u"encoding";
  if (options & kReportMsg) return u"msg";
  return u"tagname";
}

const char16_t* ValueName(uint32_t options, int32_t value1) {
  if (options & kReportN) return u"n";
  if (options & kReportCount) return u"count";
  if (options & kReportLength) return u"length";
  return value1 == -1 ? nullptr : u"offset";
}

}  // namespace

void AddReportEntry(text::WString& report, text::WStringView word,
                    std::optional<text::WStringView> data, uint32_t options, int32_t value1,
                    int32_t value2) {
  if (report.size() >= kReportCap) return;
  XmlDocument entries(report);
  bool placed = (options & kReportUpdate) ? entries.FindElement(word)
                                          : entries.AddElement(word, {}, XmlDocument::kNoLineBreak);
  if (!placed) return;
  if (data) entries.SetAttribute(DataName(options), *data);
  if (const char16_t* name = ValueName(options, value1)) entries.SetAttribute(name, value1);
  if (value2 != -1) entries.SetAttribute(u"offset2", value2);
  report = entries.ToString();
}

}  // namespace xml::detail
