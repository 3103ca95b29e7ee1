// Editing in place: every change rewrites the text once and corrects the records after it.
#include <limits>

#include "xml/XmlDocument.h"
#include "xml/detail/Attributes.h"
#include "xml/detail/Entities.h"
#include "xml/detail/IndexBuilder.h"
#include "xml/detail/Scanner.h"
#include "xml/detail/Tree.h"

namespace xml {

namespace {

using detail::ElementIndex;
using detail::ElementRecord;

constexpr char16_t kLineBreak[] = u"\r\n";

// Offsets stay 32-bit: an edit that would grow the text past that is refused.
bool FitsAfterGrowth(const text::WString& text, size_t added) {
  return text.size() + added <= static_cast<size_t>(std::numeric_limits<int32_t>::max());
}

// The markup of a new element and its tag lengths.
struct NewElement {
  text::WString markup;
  int32_t startTag;
  int32_t endTag;
};

NewElement MakeElement(text::WStringView name, text::WStringView data) {
  NewElement e;
  int32_t n = static_cast<int32_t>(name.size());
  e.markup = u"<";
  e.markup += name;
  if (data.empty()) {
    e.markup += u"/>";
    e.startTag = n + 3;
    e.endTag = 0;
    return e;
  }
  e.markup += u">";
  detail::AppendEscaped(e.markup, data, false);
  e.markup += u"</";
  e.markup += name;
  e.markup += u">";
  e.startTag = n + 2;
  e.endTag = n + 3;
  return e;
}

bool IsSpaceToMarkupOrEnd(const text::WString& text, size_t point, size_t& after) {
  size_t i = point;
  while (i < text.size() && detail::IsWhitespace(text[i])) ++i;
  after = i;
  return i == text.size() || text[i] == u'<';
}

}  // namespace

bool XmlDocument::SetAttribute(text::WStringView name, int32_t value) {
  return SetAttribute(name, text::FormatInt(value));
}

bool XmlDocument::SetAttribute(text::WStringView name, text::WStringView value) {
  if (currentPos_ == 0 || currentKind_ != 1 || !detail::IsLive(index_, text_, currentPos_)) {
    return false;
  }
  if (!detail::IsWritableName(name)) return false;
  ElementRecord& rec = index_[currentPos_];
  text::WString quoted = u"\"";
  detail::AppendEscaped(quoted, value, true);
  quoted += u'"';
  detail::AttributeSpot spot = detail::FindAttribute(text_, rec.start, rec.StartTagLength(), name);
  int32_t at, replaced;
  text::WString insert;
  if (spot.found && !spot.ownValue) {
    at = spot.tokenStart;
    replaced = spot.tokenEnd - spot.tokenStart;
    insert = std::move(quoted);
  } else if (spot.found) {
    // `<b x>`: the value goes after the bare name.
    at = spot.nameEnd;
    replaced = 0;
    insert = u"=" + quoted;
  } else {
    at = spot.insertAt;
    replaced = 0;
    insert = u" " + text::WString(name) + u"=" + quoted;
  }
  int32_t delta = static_cast<int32_t>(insert.size()) - replaced;
  if (rec.StartTagLength() + static_cast<int64_t>(delta) > detail::kMaxStartTagLength ||
      !FitsAfterGrowth(text_, insert.size())) {
    return false;
  }
  text_.replace(at, replaced, insert);
  rec.length += delta;
  rec.SetTagLengths(rec.StartTagLength() + delta, rec.EndTagLength());
  detail::AdjustOffsets(index_, currentPos_, delta, true);
  return true;
}

bool XmlDocument::AddChildElement(text::WStringView name, text::WStringView data,
                                  uint32_t options) {
  return AddElement(name, data, options | kChildForm);
}

bool XmlDocument::AddElement(text::WStringView name, text::WStringView data, uint32_t options) {
  const bool child = options & kChildForm;
  if (child && (currentPos_ == 0 || currentKind_ != 1)) return false;
  const Position parent = child ? currentPos_ : parentPos_;
  const Position after = child ? childPos_ : currentPos_;
  if (parent != 0 && !detail::IsLive(index_, text_, parent)) return false;
  if (!detail::IsWritableName(name) || name.size() + 3 > detail::kMaxEndTagLength) return false;
  const int32_t level = detail::ChildLevel(index_, parent);
  if (level > detail::kMaxLevel) return false;
  NewElement element = MakeElement(name, data);
  if (!FitsAfterGrowth(text_, element.markup.size() + 64)) return false;
  Position pos = index_.Take();
  if (pos < 0) return false;
  int32_t start = InsertMarkup(parent, after, element.markup, options & kNoLineBreak);
  if (start < 0) {
    index_.ReleaseRecord(pos);
    return false;
  }
  ElementRecord& rec = index_[pos];
  rec.start = start;
  rec.length = static_cast<int32_t>(element.markup.size());
  rec.SetTagLengths(element.startTag, element.endTag);
  rec.flags = static_cast<uint32_t>(level);
  detail::LinkAfter(index_, parent, after, pos);
  if (child) {
    childPos_ = pos;
  } else {
    currentPos_ = pos;
    childPos_ = 0;
  }
  currentKind_ = 1;
  return true;
}

int32_t XmlDocument::InsertMarkup(Position parent, Position after, text::WStringView markup,
                                  bool noLineBreak) {
  const text::WStringView crlf = noLineBreak ? u"" : kLineBreak;
  ElementRecord* p = parent != 0 ? &index_[parent] : nullptr;
  if (p && p->IsEmpty()) return InsertIntoEmpty(parent, markup, crlf);
  if (p && p->ContentStart() == p->ContentEnd()) {
    int32_t at = p->ContentStart();
    text::WString insert = text::WString(crlf) + text::WString(markup) + text::WString(crlf);
    return Insert(parent, parent, at, insert) + static_cast<int32_t>(crlf.size());
  }
  Position reference = after != 0 ? after : detail::LastChild(index_, parent);
  size_t point = after != 0 ? index_[after].start + index_[after].length
                            : (p ? p->ContentEnd() : text_.size());
  size_t skipped;
  if (!noLineBreak && IsSpaceToMarkupOrEnd(text_, point, skipped)) point = skipped;
  text::WString insert = text::WString(markup) + text::WString(crlf);
  return Insert(parent, reference != 0 ? reference : parent, static_cast<int32_t>(point), insert);
}

// Inserts `insert` at `at` next to or inside `e` (e == parent when the parent itself grows)
// and corrects the records; returns `at`.
int32_t XmlDocument::Insert(Position parent, Position e, int32_t at, text::WStringView insert) {
  text_.insert(at, insert);
  int32_t delta = static_cast<int32_t>(insert.size());
  if (e == parent) index_[e].length += delta;
  detail::AdjustOffsets(index_, e, delta, false);
  return at;
}

// `<p/>` becomes `<p>` new `</p>`, and an unended `<p>` gets the new markup and an end tag.
int32_t XmlDocument::InsertIntoEmpty(Position parent, text::WStringView markup,
                                     text::WStringView crlf) {
  ElementRecord& p = index_[parent];
  text::WStringView name = detail::ElementName(text_, p.start, p.StartTagLength());
  int32_t endTag = static_cast<int32_t>(name.size()) + 3;
  if (endTag > detail::kMaxEndTagLength) return -1;
  int32_t close = p.start + p.StartTagLength() - 1;  // the `>`
  bool selfClosed = !(p.flags & detail::kFlagUnended) && close > p.start && text_[close - 1] == u'/';
  int32_t at = selfClosed ? close - 1 : close;
  text::WString insert = u">" + text::WString(crlf) + text::WString(markup) + text::WString(crlf) +
                         u"</" + text::WString(name);
  int32_t replaced = selfClosed ? 1 : 0;
  text_.replace(at, replaced, insert);
  int32_t delta = static_cast<int32_t>(insert.size()) - replaced;
  p.SetTagLengths(p.StartTagLength() - replaced, endTag);
  p.length += delta;
  p.flags &= ~detail::kFlagUnended;
  detail::AdjustOffsets(index_, parent, delta, false);
  return at + 1 + static_cast<int32_t>(crlf.size());
}

bool XmlDocument::SetElementContent(text::WStringView markup) {
  report_.clear();
  if (currentPos_ == 0 || currentKind_ != 1 || !detail::IsLive(index_, text_, currentPos_)) {
    return false;
  }
  const Position e = currentPos_;
  text::WString name(detail::ElementName(text_, index_[e].start, index_[e].StartTagLength()));
  if (index_[e].IsEmpty() && name.size() + 3 > static_cast<size_t>(detail::kMaxEndTagLength)) {
    return false;
  }
  if (!FitsAfterGrowth(text_, markup.size() + name.size() + 3)) return false;
  Position holder = index_.Take();
  if (holder < 0) return false;
  detail::ReleaseDescendants(index_, e);
  detail::ScanState scan(markup);
  detail::ParseElements(index_, holder, index_[e].Level() + 1, scan, report_);
  const bool malformed = index_[holder].flags & detail::kFlagParseError;
  index_[e].flags = (index_[e].flags & ~detail::kFlagInnerError) |
                    (index_[holder].flags & detail::kFlagInnerError);
  int32_t contentStart = ReplaceContent(e, name, markup);
  AdoptChildren(e, holder, contentStart);
  index_.ReleaseRecord(holder);
  childPos_ = 0;
  currentKind_ = 1;
  return !malformed;
}

// Writes `markup` as the whole content of `e` and corrects the records outside it; returns
// where the content now starts.
int32_t XmlDocument::ReplaceContent(Position e, text::WStringView name, text::WStringView markup) {
  ElementRecord& rec = index_[e];
  int32_t oldLength = rec.length;
  if (!rec.IsEmpty()) {
    int32_t from = rec.ContentStart();
    int32_t oldContent = rec.ContentEnd() - from;
    text_.replace(from, oldContent, markup);
    rec.length += static_cast<int32_t>(markup.size()) - oldContent;
    detail::AdjustOffsets(index_, e, rec.length - oldLength, false);
    return from;
  }
  int32_t close = rec.start + rec.StartTagLength() - 1;
  bool selfClosed = !(rec.flags & detail::kFlagUnended) && close > rec.start && text_[close - 1] == u'/';
  text::WString endTag = u"</" + text::WString(name) + u">";
  text::WString insert = (selfClosed ? u">" : u"") + text::WString(markup) + endTag;
  int32_t at = selfClosed ? close - 1 : close + 1;
  int32_t replaced = selfClosed ? 2 : 0;
  text_.replace(at, replaced, insert);
  int32_t startTag = rec.StartTagLength() - (selfClosed ? 1 : 0);
  rec.length = startTag + static_cast<int32_t>(markup.size() + endTag.size());
  rec.SetTagLengths(startTag, static_cast<int32_t>(endTag.size()));
  rec.flags &= ~detail::kFlagUnended;
  detail::AdjustOffsets(index_, e, rec.length - oldLength, false);
  return rec.start + startTag;
}

// The fragment's records, parsed under `holder` at offset 0, move into place under `e`.
void XmlDocument::AdoptChildren(Position e, Position holder, int32_t contentStart) {
  Position first = index_[holder].firstChild;
  index_[e].firstChild = first;
  for (Position c = first; c != 0; c = index_[c].next) {
    index_[c].parent = e;
    detail::ShiftSubtree(index_, c, contentStart);
  }
  index_[holder].firstChild = 0;
}

}  // namespace xml
