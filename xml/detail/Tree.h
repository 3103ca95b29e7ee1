// Walks and offset corrections over the element records.
#pragma once

#include "text/Text.h"
#include "xml/detail/ElementIndex.h"

namespace xml::detail {

// A record that is in use, not released, and lies inside the text.
bool IsLive(const ElementIndex& index, const text::WString& text, Position pos);

// Level of the children of `parent` (top-level elements have level 0, like the document).
inline int32_t ChildLevel(const ElementIndex& index, Position parent) {
  return parent == 0 ? 0 : index[parent].Level() + 1;
}

// The last child of `parent`, 0 when it has none.
inline Position LastChild(const ElementIndex& index, Position parent) {
  Position first = index[parent].firstChild;
  return first == 0 ? 0 : index[first].prev;
}

// Calls visit(pos) for every element inside `root` (not root itself), parents before their
// children, without recursion, so deep documents cannot exhaust the stack.
template <typename Visit>
void ForEachDescendant(ElementIndex& index, Position root, Visit visit) {
  Position pos = root;
  for (;;) {
    Position child = index[pos].firstChild;
    if (child == 0) {
      while (pos != root && index[pos].next == 0) pos = index[pos].parent;
      if (pos == root) return;
      pos = index[pos].next;
    } else {
      pos = child;
    }
    visit(pos);
  }
}

// Moves `root` and everything inside it by `delta`.
void ShiftSubtree(ElementIndex& index, Position root, int32_t delta);

// After the text changed length by `delta` at a point inside or after element `e`: moves
// everything that starts after that point (e's children too when `withChildren`) and grows
// every ancestor of e. e's own record is the caller's.
void AdjustOffsets(ElementIndex& index, Position e, int32_t delta, bool withChildren);

// Links `pos` under `parent` right after `after` (0 = as the last child).
void LinkAfter(ElementIndex& index, Position parent, Position after, Position pos);

// Releases every record below `e` (not e itself).
void ReleaseDescendants(ElementIndex& index, Position e);

}  // namespace xml::detail
