// The element index: fixed 32-byte records in blocks of 65,536, addressed by a 32-bit position
// (block in the high 16 bits, slot in the low 16). Records never move between blocks, so a
// position stays valid across edits until the next full parse.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace xml::detail {

using Position = int32_t;

// Record flags above the 16-bit level.
inline constexpr uint32_t kLevelMask = 0xFFFF;
inline constexpr uint32_t kFlagReleased = 0x20000;
inline constexpr uint32_t kFlagFirstChild = 0x80000;
inline constexpr uint32_t kFlagUnended = 0x100000;
inline constexpr uint32_t kFlagInnerError = 0x200000;
inline constexpr uint32_t kFlagParseError = 0x800000;

// Largest start tag, end tag and depth that the record fields can hold.
inline constexpr int32_t kMaxStartTagLength = 0x3FFFFF;
inline constexpr int32_t kMaxEndTagLength = 0x3FF;
inline constexpr int32_t kMaxLevel = 0xFFFF;

struct ElementRecord {
  int32_t start;
  int32_t length;
  uint32_t tagLengths;  // low 22 bits start tag, high 10 bits end tag
  uint32_t flags;       // low 16 bits level
  Position parent;
  Position firstChild;
  Position next;
  Position prev;

  int32_t StartTagLength() const { return static_cast<int32_t>(tagLengths & 0x3FFFFF); }
  int32_t EndTagLength() const { return static_cast<int32_t>(tagLengths >> 22); }
  void SetTagLengths(int32_t startTag, int32_t endTag) {
    tagLengths = static_cast<uint32_t>(startTag) | (static_cast<uint32_t>(endTag) << 22);
  }
  int32_t Level() const { return static_cast<int32_t>(flags & kLevelMask); }
  void SetLevel(int32_t level) { flags = (flags & ~kLevelMask) | static_cast<uint32_t>(level); }
  int32_t ContentStart() const { return start + StartTagLength(); }
  int32_t ContentEnd() const { return start + length - EndTagLength(); }
  bool IsEmpty() const { return StartTagLength() == length; }
};
static_assert(sizeof(ElementRecord) == 32, "the record layout is part of the memory budget");

class ElementIndex {
 public:
  static constexpr int32_t kBlockSize = 65536;

  ElementIndex() { first_.records = small_; first_.size = kSmallRecords; }
  ElementIndex(const ElementIndex&) = delete;
  ElementIndex& operator=(const ElementIndex&) = delete;

  // Most documents live in the first block: it is reached without the block table.
  ElementRecord& operator[](Position pos) {
    return pos < kBlockSize ? first_.records[pos] : more_[(pos >> 16) - 1].records[pos & 0xFFFF];
  }
  const ElementRecord& operator[](Position pos) const {
    return pos < kBlockSize ? first_.records[pos] : more_[(pos >> 16) - 1].records[pos & 0xFFFF];
  }

  int32_t Capacity() const { return capacity_; }
  int32_t UsedCount() const { return usedCount_; }
  Position FreeHead() const { return freeHead_; }

  // Grows (never shrinks) to hold at least `records` records, as far as memory allows.
  void EnsureCapacity(int32_t records);
  // Starts over: record 0 cleared, one record in use, no released records.
  void Reset();
  // Frees every block.
  void Release();
  // A fresh record at the end (zeroed), growing the index when full; -1 when positions or
  // memory run out.
  Position Take() { return Append(ElementRecord{}); }
  // Stores `record` as a fresh record at the end (position UsedCount() before the call).
  Position Append(const ElementRecord& record) {
    Position pos = Claim();
    if (pos >= 0) (*this)[pos] = record;
    return pos;
  }
  // A record at the end whose every field the caller writes next; -1 when positions or memory
  // run out.
  Position Claim() {
    if (usedCount_ >= capacity_ && !Grow()) return -1;
    return usedCount_++;
  }
  // Marks a record released and puts it on the released list; it is not taken again.
  void ReleaseRecord(Position pos);

 private:
  struct Block {
    std::unique_ptr<ElementRecord[]> owned;
    ElementRecord* records = nullptr;
    int32_t size = 0;  // allocated records, at least the part of the capacity in this block
  };

  bool Grow();
  bool GrowTo(int32_t records, bool oneBlockAtMost);
  Block& BlockAt(size_t block) { return block == 0 ? first_ : more_[block - 1]; }
  static void ResizeBlock(Block& block, int32_t records);

  // A small document's records live inside the index itself: no allocation at all.
  static constexpr int32_t kSmallRecords = 64;
  ElementRecord small_[kSmallRecords];
  Block first_;              // block 0, in small_ until it outgrows it
  std::vector<Block> more_;  // blocks 1 and up
  int32_t capacity_ = 0;
  int32_t usedCount_ = 0;
  Position freeHead_ = 0;
};

}  // namespace xml::detail
