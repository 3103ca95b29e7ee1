#include "xml/detail/OpenTags.h"

#include <chrono>

namespace xml::detail {

namespace {

// Stacks this shallow are searched directly: cheaper than hashing the name.
constexpr size_t kDirectSearch = 16;

// Names are hashed as polynomials modulo this prime at a base picked when the table is first
// used: two different names then collide only by chance, whatever text was written to make
// them collide.
constexpr uint64_t kPrime = (uint64_t{1} << 61) - 1;

uint64_t MulMod(uint64_t a, uint64_t b) {
  unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  uint64_t r = static_cast<uint64_t>(p & kPrime) + static_cast<uint64_t>(p >> 61);
  return r >= kPrime ? r - kPrime : r;
}

uint64_t PickBase(const void* salt) {
  uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               reinterpret_cast<uintptr_t>(salt);
  // splitmix64 finaliser: spreads the clock and address bits over the whole word.
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return (x % (kPrime - 65536)) + 65536;  // above every single unit
}

}  // namespace

// Two units at a time: a 32-bit step stays below the prime, and the length keeps names of
// different lengths apart.
uint64_t OpenNames::Hash(const char16_t* name, int32_t length) const {
  uint64_t h = static_cast<uint64_t>(length);
  int32_t i = 0;
  for (; i + 2 <= length; i += 2) {
    h = MulMod(h, base_) + (static_cast<uint64_t>(name[i]) << 16 | name[i + 1]);
  }
  if (i < length) h = MulMod(h, base_) + name[i];
  return h;
}

size_t OpenNames::Probe(const char16_t* text, const OpenTag* tags, uint64_t hash,
                        int32_t nameStart, int32_t nameLength) const {
  const size_t mask = slots_.size() - 1;
  // The high bits of a product: every bit of the hash moves the slot.
  size_t s = static_cast<size_t>((hash * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  const uint32_t check = static_cast<uint32_t>(hash >> 29);
  for (;; s = (s + 1) & mask) {
    const Slot& slot = slots_[s];
    if (slot.top < 0) return s;
    const OpenTag& tag = tags[slot.top];
    if (slot.check == check && tag.nameLength == nameLength &&
        SameUnits(text + tag.nameStart, text + nameStart, nameLength)) {
      return s;
    }
  }
}

void OpenNames::Add(const char16_t* text, const OpenTag* tags, int32_t k) {
  if (static_cast<size_t>(names_ + 1) * 2 > slots_.size()) Rebuild(text, tags, names_ + 1);
  size_t s = Probe(text, tags, hashOf_[k], tags[k].nameStart, tags[k].nameLength);
  Slot& slot = slots_[s];
  if (slot.top < 0) {
    slot.check = static_cast<uint32_t>(hashOf_[k] >> 29);
    ++names_;
  }
  below_[k] = slot.top;
  slot.top = k;
  slotOf_[k] = static_cast<uint32_t>(s);
}

// A table with room for `names`, filled again in stack order: the order in which Uncover
// takes names out.
void OpenNames::Rebuild(const char16_t* text, const OpenTag* tags, int32_t names) {
  size_t size = slots_.empty() ? 64 : slots_.size() * 2;
  while (static_cast<size_t>(names) * 2 > size) size *= 2;
  slots_.assign(size, Slot{0, -1});
  names_ = 0;
  const int32_t covered = covered_;
  covered_ = 0;
  for (int32_t k = 0; k < covered; ++k) {
    Add(text, tags, k);
    covered_ = k + 1;
  }
}

void OpenNames::Cover(const char16_t* text, const OpenTag* tags, int32_t size) {
  if (base_ == 0) base_ = PickBase(this);
  if (static_cast<size_t>(size) > hashOf_.size()) {
    hashOf_.resize(static_cast<size_t>(size) * 2);
    below_.resize(hashOf_.size());
    slotOf_.resize(hashOf_.size());
  }
  // At most one new name per entry: room for all of them at once, instead of table after table.
  const int32_t most = names_ + (size - covered_);
  if (static_cast<size_t>(most) * 2 > slots_.size()) Rebuild(text, tags, most);
  for (int32_t k = covered_; k < size; ++k) {
    hashOf_[k] = Hash(text + tags[k].nameStart, tags[k].nameLength);
    Add(text, tags, k);
    covered_ = k + 1;
  }
}

void OpenNames::Uncover(int32_t size) {
  for (int32_t k = covered_ - 1; k >= size; --k) {
    Slot& slot = slots_[slotOf_[k]];
    slot.top = below_[k];
    if (slot.top < 0) --names_;
  }
  covered_ = size;
}

int32_t OpenNames::Find(const char16_t* text, const OpenTag* tags, int32_t nameStart,
                        int32_t nameLength) const {
  if (slots_.empty()) return -1;
  uint64_t hash = Hash(text + nameStart, nameLength);
  return slots_[Probe(text, tags, hash, nameStart, nameLength)].top;
}

int32_t OpenStack::FindName(const char16_t* text, int32_t nameStart, int32_t nameLength) {
  if (size_ <= kDirectSearch) {
    for (int32_t k = static_cast<int32_t>(size_) - 1; k >= 0; --k) {
      const OpenTag& open = data_[k];
      if (open.nameLength == nameLength &&
          SameUnits(text + open.nameStart, text + nameStart, nameLength)) {
        return k;
      }
    }
    return -1;
  }
  names_.Cover(text, data_, static_cast<int32_t>(size_));
  return names_.Find(text, data_, nameStart, nameLength);
}

}  // namespace xml::detail
