#include "xml/detail/Tree.h"

namespace xml::detail {

bool IsLive(const ElementIndex& index, const text::WString& text, Position pos) {
  if (pos <= 0 || pos >= index.UsedCount()) return false;
  const ElementRecord& rec = index[pos];
  return !(rec.flags & kFlagReleased) && rec.start >= 0 && rec.length >= rec.StartTagLength() &&
         static_cast<size_t>(rec.start) + static_cast<size_t>(rec.length) <= text.size();
}

void ShiftSubtree(ElementIndex& index, Position root, int32_t delta) {
  index[root].start += delta;
  ForEachDescendant(index, root, [&](Position pos) { index[pos].start += delta; });
}

void AdjustOffsets(ElementIndex& index, Position e, int32_t delta, bool withChildren) {
  if (delta == 0) return;
  if (withChildren) {
    for (Position c = index[e].firstChild; c != 0; c = index[c].next) ShiftSubtree(index, c, delta);
  }
  for (Position node = e; node != 0; node = index[node].parent) {
    for (Position s = index[node].next; s != 0; s = index[s].next) ShiftSubtree(index, s, delta);
    index[index[node].parent].length += delta;
  }
}

void LinkAfter(ElementIndex& index, Position parent, Position after, Position pos) {
  ElementRecord& rec = index[pos];
  rec.parent = parent;
  Position first = index[parent].firstChild;
  if (first == 0) {
    index[parent].firstChild = pos;
    rec.prev = pos;
    rec.next = 0;
    rec.flags |= kFlagFirstChild;
    return;
  }
  if (after == 0) after = index[first].prev;
  rec.prev = after;
  rec.next = index[after].next;
  index[after].next = pos;
  if (rec.next == 0) {
    index[first].prev = pos;
  } else {
    index[rec.next].prev = pos;
  }
}

void ReleaseDescendants(ElementIndex& index, Position e) {
  Position node = index[e].firstChild;
  index[e].firstChild = 0;
  while (node != 0) {
    while (index[node].firstChild != 0) node = index[node].firstChild;
    Position next = index[node].next;
    Position parent = index[node].parent;
    index.ReleaseRecord(node);
    if (next != 0) {
      node = next;
    } else if (parent == e) {
      node = 0;
    } else {
      index[parent].firstChild = 0;
      node = parent;
    }
  }
}

}  // namespace xml::detail
