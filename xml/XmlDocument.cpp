#include "xml/XmlDocument.h"

#include <limits>

#include "xml/detail/IndexBuilder.h"
#include "xml/detail/Report.h"
#include "xml/detail/Scanner.h"

namespace xml {

using detail::ElementRecord;

XmlDocument::XmlDocument() { ParseLoadedText(); }

XmlDocument::XmlDocument(text::WStringView text) { Parse(text); }

XmlDocument::~XmlDocument() = default;

bool XmlDocument::Parse(text::WStringView text) {
  if (text.data() == nullptr) {
    index_.Release();
    text_.clear();
  } else {
    text_.assign(text);
  }
  report_.clear();
  return ParseLoadedText();
}

bool XmlDocument::ParseLoadedText() {
  ResetPosition();
  parentPos_ = 0;
  // Offsets are 32-bit; a longer text is kept but not indexed.
  const bool tooLong = text_.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max());
  const int32_t length = tooLong ? 0 : static_cast<int32_t>(text_.size());
  index_.EnsureCapacity(length / 64 + 8);
  index_.Reset();
  if (tooLong) {
    detail::AddReportEntry(report_, u"text_too_long", std::nullopt, 0, -1, -1);
    index_[0].flags |= detail::kFlagParseError;
  } else if (length > 0) {
    detail::ScanState scan(text_);
    Position first = detail::ParseElements(index_, 0, 0, scan, report_);
    index_[0].length = length;
    if (first == 0) {
      detail::AddReportEntry(report_, u"no_root_element", std::nullopt, 0, -1, -1);
    } else {
      index_[0].firstChild = first;
      if (index_[first].next != 0) {
        detail::AddReportEntry(report_, u"root_has_sibling", std::nullopt, 0, -1, -1);
      }
    }
  }
  ResetPosition();
  parentPos_ = 0;
  return IsWellFormed();
}

bool XmlDocument::IsWellFormed() const {
  const ElementRecord& doc = index_[0];
  return !(doc.flags & detail::kFlagParseError) && doc.firstChild != 0 &&
         index_[doc.firstChild].next == 0;
}

}  // namespace xml
