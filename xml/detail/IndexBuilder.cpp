#include "xml/detail/IndexBuilder.h"

#include "xml/detail/OpenTags.h"
#include "xml/detail/Report.h"
#include "xml/detail/ScanLoops.h"
#include "xml/detail/Tree.h"

namespace xml::detail {

namespace {

// A start or end tag just read.
struct TagNode {
  int32_t start;
  int32_t length;
  int32_t nameStart;
  int32_t nameLength;
  bool empty;
};

class Builder {
 public:
  Builder(ElementIndex& index, Position holder, int32_t topLevel, ScanState& scan,
          text::WString& report)
      : index_(index), holder_(holder), topLevel_(topLevel), scan_(scan), report_(report),
        current_(holder) {}

  Position Run();

 private:
  NodeKind Next(TagNode& tag, int32_t& at);
  NodeKind Scan(TagNode& tag, int32_t& at);
  bool MatchesTop(const char16_t* t, int32_t n, int32_t nameStart) const;
  void OnStartTag(const TagNode& tag);
  void OnEndTag(const TagNode& tag);
  void OnSyntaxError();
  void Skip(TagNode tag, const char16_t* word);
  void LinkLastChild(Position pos, Position first, Position last);
  void Unend(size_t from, int32_t offset2);
  void MoveChildrenAfter(Position pos);
  void RelevelAll();
  void MarkError() {
    index_[holder_].flags |= kFlagParseError;
    index_[current_].flags |= kFlagInnerError;
  }
  text::WStringView Name(int32_t start, int32_t length) const {
    return scan_.text.substr(start, length);
  }

  ElementIndex& index_;
  Position holder_;
  int32_t topLevel_;
  ScanState& scan_;
  text::WString& report_;
  Position current_;
  Position first_ = 0;
  bool topMatched_ = false;  // the end tag just read names the innermost open element
  bool moved_ = false;       // elements changed parent: their levels are set at the end
  OpenStack stack_;
};

// The node scanner's result for the nodes that matter here, with its common cases inline:
// text adds nothing to the index, so the scan jumps to the next `<`, and complete start and
// end tags are read on the spot. Everything else goes through the full scanner.
[[gnu::always_inline]] inline NodeKind Builder::Next(TagNode& tag, int32_t& at) {
  const char16_t* t = scan_.text.data();
  const int32_t n = static_cast<int32_t>(scan_.text.size());
  int32_t i = scan::SearchEither(t, n, at, u'<', u'<');
  at = i;
  if (i + 1 >= n) return Scan(tag, at);
  char16_t c = t[i + 1];
  const bool endTag = c == u'/';
  if (!endTag && !IsNameStart(c)) return Scan(tag, at);
  int32_t nameStart = i + (endTag ? 2 : 1);
  topMatched_ = endTag && MatchesTop(t, n, nameStart);
  int32_t nameEnd = topMatched_ ? nameStart + stack_.back().nameLength
                                : scan::SkipName(t, n, nameStart);
  int32_t close;
  bool empty = false;
  if (nameEnd < n && t[nameEnd] == u'>') {
    close = nameEnd + 1;  // no attributes, and a name never ends in `/`
  } else if (endTag) {
    close = scan::Next(scan::Find(t, n, nameEnd, u'>'));
  } else {
    close = scan::SkipTagBody(t, n, nameEnd, false, empty);
  }
  if (close == scan::kNotFound) return Scan(tag, at);
  tag = {i, close - i, nameStart, nameEnd - nameStart, empty};
  at = close;
  return endTag ? NodeKind::kEndTag : NodeKind::kStartTag;
}

// The full scanner, for everything the fast path does not take.
[[gnu::always_inline]] inline NodeKind Builder::Scan(TagNode& tag, int32_t& at) {
  scan_.offset = at;
  NodeKind kind = NextNode(scan_);
  at = scan_.offset;
  topMatched_ = false;
  tag = {scan_.nodeStart, scan_.nodeLength, scan_.nameStart, scan_.nameLength, scan_.emptyElement};
  return kind;
}

// Whether the end-tag name at nameStart is the innermost open name (the usual case).
bool Builder::MatchesTop(const char16_t* t, int32_t n, int32_t nameStart) const {
  if (stack_.empty()) return false;
  const OpenTag& top = stack_.back();
  int32_t end = nameStart + top.nameLength;
  if (end >= n) return false;
#if defined(__SSE2__)
  // A short name is compared in one step; the open name lies earlier in the same text.
  if (top.nameLength <= 8 && nameStart + 8 <= n) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + top.nameStart));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + nameStart));
    unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(a, b)));
    unsigned wanted = (1u << (2 * top.nameLength)) - 1;
    return (equal & wanted) == wanted && (scan::ClassOf(t[end]) & scan::kNameStop);
  }
#endif
  if (!SameUnits(t + top.nameStart, t + nameStart, top.nameLength)) return false;
  return scan::ClassOf(t[end]) & scan::kNameStop;
}

Position Builder::Run() {
  // The scan offset stays in a register: through memory, every node would wait on the
  // previous node's store.
  int32_t at = scan_.offset;
  for (;;) {
    TagNode tag;
    switch (Next(tag, at)) {
      case NodeKind::kStartTag: OnStartTag(tag); break;
      case NodeKind::kEndTag: OnEndTag(tag); break;
      case NodeKind::kSyntaxError: OnSyntaxError(); break;
      case NodeKind::kEndOfText:
        if (!stack_.empty()) Unend(0, static_cast<int32_t>(scan_.text.size()));
        if (moved_) RelevelAll();
        return first_;
      default: break;
    }
  }
}

void Builder::Skip(TagNode tag, const char16_t* word) {
  MarkError();
  AddReportEntry(report_, word, Name(tag.nameStart, tag.nameLength), 0, tag.start, -1);
  if (!tag.empty) stack_.push_back({tag.nameStart, tag.nameLength, -1, current_});
}

void Builder::OnStartTag(const TagNode& tag) {
  const ElementRecord& parent = index_[current_];
  int32_t level = current_ == holder_ ? topLevel_ : parent.Level() + 1;
  if (tag.length > kMaxStartTagLength) return Skip(tag, u"start_tag_too_long");
  if (level > kMaxLevel) return Skip(tag, u"nesting_too_deep");
  Position first = parent.firstChild;
  Position last = first == 0 ? 0 : index_[first].prev;
  const Position pos = index_.Claim();
  if (pos < 0) return Skip(tag, u"too_many_elements");
  // Field by field: a record assembled elsewhere and copied whole stalls on the copy.
  ElementRecord& rec = index_[pos];
  rec.start = tag.start;
  rec.length = tag.length;
  rec.tagLengths = static_cast<uint32_t>(tag.length);
  rec.flags = static_cast<uint32_t>(level) | (first == 0 ? kFlagFirstChild : 0);
  rec.parent = current_;
  rec.firstChild = 0;
  rec.next = 0;
  rec.prev = first == 0 ? pos : last;
  LinkLastChild(pos, first, last);
  if (first_ == 0) first_ = pos;
  if (tag.empty) return;
  stack_.push_back({tag.nameStart, tag.nameLength, pos, current_});
  current_ = pos;
}

// Links the record at `pos` as the last child of the current element, given the current
// first child and the last child before it.
void Builder::LinkLastChild(Position pos, Position first, Position last) {
  if (first == 0) {
    index_[current_].firstChild = pos;
    return;
  }
  index_[last].next = pos;
  index_[first].prev = pos;
}

void Builder::OnEndTag(const TagNode& tag) {
  if (tag.length > kMaxEndTagLength) {
    // The record has no room for the end tag: it closes nothing.
    MarkError();
    AddReportEntry(report_, u"end_tag_too_long", Name(tag.nameStart, tag.nameLength), 0,
                   tag.start, -1);
    return;
  }
  int32_t k = topMatched_ ? static_cast<int32_t>(stack_.size()) - 1
                          : stack_.FindName(scan_.text.data(), tag.nameStart, tag.nameLength);
  if (k < 0) {
    MarkError();
    AddReportEntry(report_, u"lone_end_tag", Name(tag.nameStart, tag.nameLength), 0,
                   tag.start, -1);
    return;
  }
  if (static_cast<size_t>(k) + 1 < stack_.size()) Unend(static_cast<size_t>(k) + 1, tag.start + 1);
  OpenTag closed = stack_.back();
  stack_.pop_back();
  if (closed.pos >= 0) {
    ElementRecord& rec = index_[closed.pos];
    rec.length = tag.start + tag.length - rec.start;
    rec.SetTagLengths(rec.StartTagLength(), tag.length);
  }
  current_ = closed.outer;
}

void Builder::OnSyntaxError() {
  MarkError();
  for (const ScanError& e : scan_.errors) {
    if (e.type) {
      AddReportEntry(report_, e.word, text::WStringView(e.type), kReportType, e.offset, -1);
    } else {
      AddReportEntry(report_, e.word, std::nullopt, 0, e.offset, -1);
    }
  }
}

// Every open element from stack index `from` up is unended. Working outermost first moves
// each record at most once: an open element is always the last child of the one below it.
void Builder::Unend(size_t from, int32_t offset2) {
  bool innerError = false;
  for (size_t j = from; j < stack_.size(); ++j) {
    Position pos = stack_[j].pos;
    if (pos < 0) continue;
    ElementRecord& rec = index_[pos];
    innerError = innerError || (rec.flags & kFlagInnerError);
    rec.flags = (rec.flags | kFlagUnended) & ~kFlagInnerError;
    rec.length = rec.StartTagLength();
    rec.SetTagLengths(rec.StartTagLength(), 0);
    MoveChildrenAfter(pos);
  }
  for (size_t j = stack_.size(); j-- > from;) {
    if (stack_[j].pos < 0) continue;
    AddReportEntry(report_, u"unended_start_tag", Name(stack_[j].nameStart, stack_[j].nameLength),
                   0, index_[stack_[j].pos].start, offset2);
  }
  current_ = stack_[from].outer;
  if (innerError) index_[current_].flags |= kFlagInnerError;
  index_[holder_].flags |= kFlagParseError;
  stack_.resize(from);
}

// The children of `pos` become its following siblings, in order (pos is its parent's last
// child); their levels are set at the end of the build.
void Builder::MoveChildrenAfter(Position pos) {
  ElementRecord& rec = index_[pos];
  Position first = rec.firstChild;
  if (first == 0) return;
  moved_ = true;
  Position parent = rec.parent;
  Position last = index_[first].prev;
  for (Position c = first; c != 0; c = index_[c].next) {
    index_[c].parent = parent;
    index_[c].flags &= ~kFlagFirstChild;
  }
  index_[first].prev = pos;
  index_[last].next = rec.next;
  rec.next = first;
  rec.firstChild = 0;
  index_[index_[parent].firstChild].prev = last;
}

// Levels from the parents, top-level elements first. Done once after the build: setting them
// at each move would walk a subtree again every time it moves up, which malformed nesting can
// make happen once per end tag.
void Builder::RelevelAll() {
  for (Position c = index_[holder_].firstChild; c != 0; c = index_[c].next) {
    index_[c].SetLevel(topLevel_);
    ForEachDescendant(index_, c, [&](Position pos) {
      index_[pos].SetLevel(index_[index_[pos].parent].Level() + 1);
    });
  }
}

}  // namespace

Position ParseElements(ElementIndex& index, Position holder, int32_t topLevel, ScanState& scan,
                       text::WString& report) {
  return Builder(index, holder, topLevel, scan, report).Run();
}

}  // namespace xml::detail
