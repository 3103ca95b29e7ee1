// Moving the cursor and reading names, attributes and text back out of the document.
#include "xml/XmlDocument.h"
#include "xml/detail/Attributes.h"
#include "xml/detail/Entities.h"
#include "xml/detail/NamePath.h"
#include "xml/detail/Scanner.h"
#include "xml/detail/Tree.h"

namespace xml {

namespace {

using detail::ElementIndex;
using detail::ElementRecord;
using detail::NodeKind;

bool Matches(const ElementIndex& index, const text::WString& text, XmlDocument::Position pos,
             const detail::NameRequest& request) {
  if (request.any) return true;
  const ElementRecord& rec = index[pos];
  return detail::ElementName(text, rec.start, rec.StartTagLength()) == request.name;
}

// The first sibling from `pos` on whose name matches, 0 when none.
XmlDocument::Position FindFrom(const ElementIndex& index, const text::WString& text,
                               XmlDocument::Position pos, text::WStringView name) {
  detail::NameRequest request = detail::ParseNameRequest(name);
  if (!request.valid) return 0;
  for (; pos != 0; pos = index[pos].next) {
    if (!detail::IsLive(index, text, pos)) return 0;
    if (Matches(index, text, pos, request)) return pos;
  }
  return 0;
}

text::WString Attribute(const ElementIndex& index, const text::WString& text,
                        XmlDocument::Position pos, text::WStringView name) {
  if (!detail::IsLive(index, text, pos)) return {};
  const ElementRecord& rec = index[pos];
  detail::AttributeSpot spot = detail::FindAttribute(text, rec.start, rec.StartTagLength(), name);
  if (!spot.found) return {};
  return detail::UnescapeText(text, spot.valueStart, spot.valueLength);
}

// Decoded text of the content when it holds markup: text runs and CDATA sections only.
text::WString ScannedText(text::WStringView content) {
  text::WString out;
  detail::ScanState scan(content);
  for (NodeKind kind; (kind = detail::NextNode(scan)) != NodeKind::kEndOfText;) {
    if (kind == NodeKind::kText) {
      out += detail::UnescapeText(content, scan.nodeStart, scan.nodeLength);
    } else if (kind == NodeKind::kCData && scan.nodeLength >= 12) {
      out.append(content.substr(scan.nodeStart + 9, scan.nodeLength - 12));
    }
  }
  return out;
}

text::WString Data(const ElementIndex& index, const text::WString& text,
                   XmlDocument::Position pos) {
  if (!detail::IsLive(index, text, pos)) return {};
  const ElementRecord& rec = index[pos];
  if (rec.IsEmpty() || rec.firstChild != 0) return {};
  text::WStringView content =
      text::WStringView(text).substr(rec.ContentStart(), rec.ContentEnd() - rec.ContentStart());
  if (content.find(u'<') == text::WStringView::npos) {
    return detail::UnescapeText(content, 0, static_cast<int32_t>(content.size()));
  }
  return ScannedText(content);
}

}  // namespace

void XmlDocument::ResetPosition() {
  currentPos_ = 0;
  childPos_ = 0;
  currentKind_ = 0;
}

bool XmlDocument::FindElement(text::WStringView name) {
  Position from = currentPos_ != 0 ? index_[currentPos_].next : index_[parentPos_].firstChild;
  Position found = FindFrom(index_, text_, from, name);
  if (found == 0) return false;
  currentPos_ = found;
  parentPos_ = index_[found].parent;
  childPos_ = 0;
  currentKind_ = 1;
  return true;
}

bool XmlDocument::FindChildElement(text::WStringView name) {
  if (currentPos_ == 0 && !FindElement()) return false;
  Position from = childPos_ != 0 ? index_[childPos_].next : index_[currentPos_].firstChild;
  Position found = FindFrom(index_, text_, from, name);
  if (found == 0) return false;
  childPos_ = found;
  parentPos_ = index_[currentPos_].parent;
  currentKind_ = 1;
  return true;
}

bool XmlDocument::EnterElement() {
  if (currentPos_ == 0 || currentKind_ != 1) return false;
  parentPos_ = currentPos_;
  currentPos_ = childPos_;
  childPos_ = 0;
  currentKind_ = currentPos_ != 0 ? 1 : 0;
  return true;
}

bool XmlDocument::LeaveElement() {
  if (parentPos_ == 0) return false;
  childPos_ = currentPos_;
  currentPos_ = parentPos_;
  parentPos_ = index_[parentPos_].parent;
  currentKind_ = 1;
  return true;
}

text::WString XmlDocument::GetTagName(Position pos) const {
  if (!detail::IsLive(index_, text_, pos)) return {};
  const ElementRecord& rec = index_[pos];
  return text::WString(detail::ElementName(text_, rec.start, rec.StartTagLength()));
}

text::WString XmlDocument::GetAttribute(text::WStringView name) const {
  if (currentPos_ == 0 || currentKind_ != 1) return {};
  return Attribute(index_, text_, currentPos_, name);
}

text::WString XmlDocument::GetChildAttribute(text::WStringView name) const {
  if (childPos_ == 0 || currentKind_ != 1) return {};
  return Attribute(index_, text_, childPos_, name);
}

text::WString XmlDocument::GetData() const { return Data(index_, text_, currentPos_); }

text::WString XmlDocument::GetChildData() const { return Data(index_, text_, childPos_); }

text::WString XmlDocument::GetElementContent() const {
  if (!detail::IsLive(index_, text_, currentPos_)) return {};
  const ElementRecord& rec = index_[currentPos_];
  if (rec.IsEmpty()) return {};
  return text_.substr(rec.ContentStart(), rec.ContentEnd() - rec.ContentStart());
}

}  // namespace xml
