#include "xml/detail/ElementIndex.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace xml::detail {

namespace {
constexpr int32_t kMaxRecords = std::numeric_limits<int32_t>::max();
// A small document's records fit in one allocation of this many without regrowing it.
constexpr int32_t kMinBlockAllocation = 64;
}

void ElementIndex::EnsureCapacity(int32_t records) {
  if (records > capacity_) GrowTo(records, false);
}

void ElementIndex::Reset() {
  EnsureCapacity(1);
  usedCount_ = 1;
  freeHead_ = 0;
  (*this)[0] = ElementRecord{};
}

void ElementIndex::Release() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  capacity_ = 0;
  usedCount_ = 0;
  freeHead_ = 0;
}

Position ElementIndex::TakeGrowing() {
  if (usedCount_ == kMaxRecords) return -1;
  int64_t wanted = static_cast<int64_t>(usedCount_) + usedCount_ / 2;
  wanted = std::min<int64_t>(std::max<int64_t>(wanted, usedCount_ + 1), kMaxRecords);
  GrowTo(static_cast<int32_t>(wanted), true);
  Position pos = usedCount_++;
  (*this)[pos] = ElementRecord{};
  return pos;
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

void ElementIndex::GrowTo(int32_t records, bool oneBlockAtMost) {
  // Growth for a new record never starts more than one new block in one step.
  int64_t limit = (static_cast<int64_t>(blocks_.size()) + 1) * kBlockSize;
  int64_t target = oneBlockAtMost ? std::min<int64_t>(records, limit) : records;
  size_t needed = static_cast<size_t>((target + kBlockSize - 1) / kBlockSize);
  if (blocks_.capacity() < needed) blocks_.reserve(needed * 2 + 4);
  for (size_t b = 0; b < needed; ++b) {
    int64_t size = std::min<int64_t>(kBlockSize, target - static_cast<int64_t>(b) * kBlockSize);
    if (b >= blocks_.size()) blocks_.emplace_back();
    if (blocks_[b].size < size) {
      ResizeBlock(b, static_cast<int32_t>(std::max<int64_t>(size, kMinBlockAllocation)));
    }
  }
  capacity_ = static_cast<int32_t>(target);
}

void ElementIndex::ResizeBlock(size_t block, int32_t records) {
  Block& b = blocks_[block];
  auto grown = std::make_unique_for_overwrite<ElementRecord[]>(records);
  if (b.records) std::memcpy(grown.get(), b.records.get(), sizeof(ElementRecord) * b.size);
  b.records = std::move(grown);
  b.size = records;
}

}  // namespace xml::detail
