// The stack of open start tags kept while the index is built, and the look-up of an end tag's
// name in it.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "xml/detail/ElementIndex.h"

namespace xml::detail {

// An open start tag. Elements that cannot be indexed (too deep, start tag too long) stay on the
// stack with position -1 so that their end tags still pair up.
struct OpenTag {
  int32_t nameStart;
  int32_t nameLength;
  Position pos;
  Position outer;  // the element that was current when this one opened
};

[[gnu::always_inline]] inline bool SameUnits(const char16_t* a, const char16_t* b, int32_t count) {
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    uint64_t x, y;
    std::memcpy(&x, a + i, sizeof x);
    std::memcpy(&y, b + i, sizeof y);
    if (x != y) return false;
  }
  for (; i < count; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// Finds the innermost open tag of a name in time that does not grow with the depth, so that
// end tags matching nothing cannot make a parse quadratic. Well-formed text never needs it:
// stack entries are added only when a look-up asks, and dropped as the stack shrinks.
//
// An open-addressing table from each name to its innermost stack entry; every entry links to
// the next one below with the same name. Entries leave in the reverse order of their arrival,
// so a name's slot can simply be emptied again: nothing that arrived later still probes past it.
class OpenNames {
 public:
  // Stack entries [0, Covered()) are in the table.
  int32_t Covered() const { return covered_; }
  // Adds the stack entries from Covered() up to `size`.
  void Cover(const char16_t* text, const OpenTag* tags, int32_t size);
  // Removes the entries from `size` up, the last first.
  void Uncover(int32_t size);
  // The innermost covered entry named text[nameStart, nameStart + nameLength), or -1.
  int32_t Find(const char16_t* text, const OpenTag* tags, int32_t nameStart,
               int32_t nameLength) const;

 private:
  struct Slot {
    uint32_t check;  // high bits of the name's hash: most other names fail here
    int32_t top;     // innermost entry of this name, -1 for an empty slot
  };

  uint64_t Hash(const char16_t* name, int32_t length) const;
  size_t Probe(const char16_t* text, const OpenTag* tags, uint64_t hash, int32_t nameStart,
               int32_t nameLength) const;
  void Add(const char16_t* text, const OpenTag* tags, int32_t k);
  void Rebuild(const char16_t* text, const OpenTag* tags, int32_t names);

  std::vector<Slot> slots_;
  std::vector<uint64_t> hashOf_;  // per covered entry
  std::vector<int32_t> below_;    // per covered entry: next entry below of the same name, or -1
  std::vector<uint32_t> slotOf_;  // per covered entry
  int32_t covered_ = 0;
  int32_t names_ = 0;  // occupied slots
  uint64_t base_ = 0;  // of the polynomial hash; chosen on first use
};

// The open tags: a fixed run kept inline (no allocation for ordinary depths), moved to the
// heap as a whole when it outgrows that, so every access is one plain index.
class OpenStack {
 public:
  OpenStack() = default;
  OpenStack(const OpenStack&) = delete;
  OpenStack& operator=(const OpenStack&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  OpenTag& operator[](size_t i) { return data_[i]; }
  const OpenTag& operator[](size_t i) const { return data_[i]; }
  OpenTag& back() { return data_[size_ - 1]; }
  const OpenTag& back() const { return data_[size_ - 1]; }
  void push_back(const OpenTag& tag) {
    if (size_ == capacity_) Grow();
    data_[size_++] = tag;
  }
  void pop_back() {
    --size_;
    if (static_cast<size_t>(names_.Covered()) > size_) names_.Uncover(static_cast<int32_t>(size_));
  }
  void resize(size_t n) {
    if (n >= size_) return;
    size_ = n;
    if (static_cast<size_t>(names_.Covered()) > size_) names_.Uncover(static_cast<int32_t>(size_));
  }

  // The innermost open tag named text[nameStart, nameStart + nameLength), or -1.
  int32_t FindName(const char16_t* text, int32_t nameStart, int32_t nameLength);

 private:
  void Grow() {
    auto grown = std::make_unique_for_overwrite<OpenTag[]>(capacity_ * 2);
    std::memcpy(grown.get(), data_, sizeof(OpenTag) * size_);
    heap_ = std::move(grown);
    data_ = heap_.get();
    capacity_ *= 2;
  }

  static constexpr size_t kInline = 64;
  OpenTag inline_[kInline];
  std::unique_ptr<OpenTag[]> heap_;
  OpenTag* data_ = inline_;
  size_t size_ = 0;
  size_t capacity_ = kInline;
  OpenNames names_;
};

}  // namespace xml::detail
