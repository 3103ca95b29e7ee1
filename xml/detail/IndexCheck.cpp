#include "xml/detail/IndexCheck.h"

#include <string>

#include "xml/XmlDocument.h"
#include "xml/detail/Tree.h"
#include "xml/detail/IndexAccess.h"

namespace xml::detail {

namespace {

class Checker {
 public:
  explicit Checker(const XmlDocument& doc)
      : doc_(doc), index_(IndexAccess::Of(doc)), text_(doc.ToString()) {}

  std::string Run();

 private:
  bool Fail(const std::string& what, Position pos) {
    if (error_.empty()) error_ = what + " at record " + std::to_string(pos);
    return false;
  }
  bool CheckDocument();
  bool CheckChildren(Position parent);
  bool CheckRecord(Position pos, Position parent, int32_t low, int32_t high);
  bool CheckTags(Position pos);
  bool CheckReleased();
  bool CheckCursor();

  const XmlDocument& doc_;
  const ElementIndex& index_;
  const text::WString& text_;
  int64_t reachable_ = 0;
  std::string error_;
};

std::string Checker::Run() {
  if (CheckDocument() && CheckChildren(0) && CheckReleased()) CheckCursor();
  return error_;
}

bool Checker::CheckDocument() {
  const ElementRecord& doc = index_[0];
  if (index_.UsedCount() < 1 || index_.UsedCount() > index_.Capacity()) {
    return Fail("used count outside capacity", 0);
  }
  if (doc.start != 0 || doc.tagLengths != 0 || doc.Level() != 0 || doc.parent != 0) {
    return Fail("document record fields", 0);
  }
  if (doc.length != static_cast<int64_t>(text_.size())) return Fail("document length", 0);
  return true;
}

// Walks the tree without recursion: depth can reach 65,535.
bool Checker::CheckChildren(Position root) {
  Position pos = index_[root].firstChild;
  Position parent = root;
  while (pos != 0) {
    const ElementRecord& p = index_[parent];
    int32_t low = parent == 0 ? 0 : p.ContentStart();
    int32_t high = parent == 0 ? p.length : p.ContentEnd();
    if (!CheckRecord(pos, parent, low, high)) return false;
    if (index_[pos].firstChild != 0) {
      parent = pos;
      pos = index_[pos].firstChild;
      continue;
    }
    while (pos != root && index_[pos].next == 0) {
      pos = index_[pos].parent;
      parent = index_[pos].parent;
    }
    if (pos == root) break;
    pos = index_[pos].next;
  }
  return true;
}

bool Checker::CheckRecord(Position pos, Position parent, int32_t low, int32_t high) {
  if (pos <= 0 || pos >= index_.UsedCount()) return Fail("link outside the used records", pos);
  if (++reachable_ >= index_.UsedCount()) return Fail("record reached twice", pos);
  const ElementRecord& rec = index_[pos];
  if (rec.flags & kFlagReleased) return Fail("released record reachable", pos);
  if (rec.parent != parent) return Fail("parent link", pos);
  if (rec.Level() != ChildLevel(index_, parent)) return Fail("level", pos);
  if (rec.start < low || rec.length < rec.StartTagLength() ||
      static_cast<int64_t>(rec.start) + rec.length > high) {
    return Fail("element outside its parent's content", pos);
  }
  Position first = index_[parent].firstChild;
  bool isFirst = pos == first;
  if (isFirst != static_cast<bool>(rec.flags & kFlagFirstChild)) return Fail("first-child flag", pos);
  if (!isFirst && index_[rec.prev].next != pos) return Fail("prev link", pos);
  if (rec.next == 0 && index_[first].prev != pos) return Fail("first child's prev is not the last", pos);
  if (rec.next != 0 && index_[rec.next].start < rec.start + rec.length) {
    return Fail("siblings overlap or out of order", pos);
  }
  return CheckTags(pos);
}

bool Checker::CheckTags(Position pos) {
  const ElementRecord& rec = index_[pos];
  int32_t stlen = rec.StartTagLength();
  int32_t etlen = rec.EndTagLength();
  if (stlen < 2 || text_[rec.start] != u'<' || text_[rec.start + stlen - 1] != u'>') {
    return Fail("start tag bounds", pos);
  }
  if (etlen > rec.length - stlen) return Fail("end tag longer than the element", pos);
  if ((rec.flags & kFlagUnended) && (etlen != 0 || rec.length != stlen)) {
    return Fail("unended element with content", pos);
  }
  if (etlen == 0) {
    if (rec.length != stlen) return Fail("content without end tag", pos);
    return true;
  }
  int32_t end = rec.start + rec.length;
  if (etlen < 3 || text_[end - etlen] != u'<' || text_[end - etlen + 1] != u'/' ||
      text_[end - 1] != u'>') {
    return Fail("end tag bounds", pos);
  }
  return true;
}

bool Checker::CheckReleased() {
  int64_t released = 0;
  for (Position pos = index_.FreeHead(); pos != 0; pos = index_[pos].next) {
    if (pos < 0 || pos >= index_.UsedCount()) return Fail("released list leaves the records", pos);
    if (!(index_[pos].flags & kFlagReleased)) return Fail("unflagged record on released list", pos);
    if (++released >= index_.UsedCount()) return Fail("released list loops", pos);
  }
  if (reachable_ + released + 1 != index_.UsedCount()) {
    return Fail("records neither reachable nor released: " +
                    std::to_string(index_.UsedCount() - 1 - reachable_ - released),
                0);
  }
  return true;
}

bool Checker::CheckCursor() {
  Position parent = doc_.ParentPosition(), current = doc_.CurrentPosition(),
           child = doc_.ChildPosition();
  for (Position pos : {parent, current, child}) {
    if (pos != 0 && !IsLive(index_, text_, pos)) return Fail("cursor names a dead record", pos);
  }
  if (current != 0 && index_[current].parent != parent) return Fail("current's parent", current);
  if (child != 0 && index_[child].parent != current) return Fail("child's parent", child);
  return true;
}

}  // namespace

std::string CheckIndex(const XmlDocument& doc) { return Checker(doc).Run(); }

}  // namespace xml::detail
