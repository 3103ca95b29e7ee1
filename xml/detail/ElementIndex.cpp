#include "xml/detail/ElementIndex.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace xml::detail {

namespace {
constexpr int32_t kMaxRecords = std::numeric_limits<int32_t>::max();
}

void ElementIndex::EnsureCapacity(int32_t records) {
  if (records <= capacity_) return;
  if (records <= first_.size) {
    capacity_ = records;  // block 0 already has the room
    return;
  }
  GrowTo(records, false);  // a guess only: without the memory, records are added one by one
}

void ElementIndex::Reset() {
  EnsureCapacity(1);
  usedCount_ = 1;
  freeHead_ = 0;
  (*this)[0] = ElementRecord{};
}

void ElementIndex::Release() {
  more_.clear();
  more_.shrink_to_fit();
  first_.owned.reset();
  first_.records = small_;
  first_.size = kSmallRecords;
  capacity_ = 0;
  usedCount_ = 0;
  freeHead_ = 0;
}

bool ElementIndex::Grow() {
  if (usedCount_ == kMaxRecords) return false;
  int64_t wanted = static_cast<int64_t>(usedCount_) + usedCount_ / 2;
  wanted = std::min<int64_t>(std::max<int64_t>(wanted, usedCount_ + 1), kMaxRecords);
  if (wanted <= first_.size) {
    capacity_ = static_cast<int32_t>(wanted);  // block 0 already has the room
    return true;
  }
  return GrowTo(static_cast<int32_t>(wanted), true);
}

void ElementIndex::ReleaseRecord(Position pos) {
  ElementRecord& rec = (*this)[pos];
  rec.flags |= kFlagReleased;
  rec.parent = 0;
  rec.firstChild = 0;
  rec.prev = 0;
  rec.next = freeHead_;
  freeHead_ = pos;
}

// Memory that runs out leaves the index as it was, with every block it has, and says so: the
// caller reports the element it could not add instead of the whole program ending.
bool ElementIndex::GrowTo(int32_t records, bool oneBlockAtMost) {
  // Growth for a new record never starts more than one new block in one step.
  int64_t limit = (static_cast<int64_t>(more_.size()) + 2) * kBlockSize;
  int64_t target = oneBlockAtMost ? std::min<int64_t>(records, limit) : records;
  size_t needed = static_cast<size_t>((target + kBlockSize - 1) / kBlockSize);
  try {
    if (needed > 1 && more_.capacity() < needed - 1) more_.reserve(needed * 2 + 4);
    for (size_t b = 0; b < needed; ++b) {
      int64_t size = std::min<int64_t>(kBlockSize, target - static_cast<int64_t>(b) * kBlockSize);
      if (b > more_.size()) more_.emplace_back();
      Block& block = BlockAt(b);
      if (block.size < size) ResizeBlock(block, static_cast<int32_t>(size));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  capacity_ = static_cast<int32_t>(target);
  return true;
}

void ElementIndex::ResizeBlock(Block& block, int32_t records) {
  auto grown = std::make_unique_for_overwrite<ElementRecord[]>(records);
  if (block.records) std::memcpy(grown.get(), block.records, sizeof(ElementRecord) * block.size);
  block.owned = std::move(grown);
  block.records = block.owned.get();
  block.size = records;
}

}  // namespace xml::detail
