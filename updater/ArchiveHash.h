// The cryptographic hash a signed list records for every archive: BLAKE2b-256, taken while
// the bytes arrive, written as 64 lower-case hexadecimal digits.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace updater {

inline constexpr size_t kArchiveHashBytes = 32;
inline constexpr size_t kArchiveHashTextLength = 2 * kArchiveHashBytes;

class ArchiveHash {
 public:
  ArchiveHash();
  void Update(const void* data, size_t size);
  // The hash of everything given so far, as the list writes it; the hash then starts again.
  std::string FinishText();

 private:
  alignas(64) std::array<unsigned char, 384> state_;  // room for libsodium's state
};

// The list's text of the hash of `bytes`.
std::string HashText(std::string_view bytes);

// True for text the list can hold as a hash (64 lower-case hexadecimal digits).
bool IsHashText(std::string_view text);

}  // namespace updater
