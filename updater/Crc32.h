// The CRC-32 of zip archives, shared by the list format and the integrity checks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/Text.h"

namespace updater {

// Standard CRC-32 (reflected 0xEDB88320, initial value and final XOR 0xFFFFFFFF) of a byte range.
uint32_t Crc32(const void* data, size_t length);

// Size and CRC-32 of data, taken while it was written so nothing has to be read back.
struct Digest {
  uint64_t size = 0;
  uint32_t crc = 0;
};

// The list's notation: "%X", upper case without leading zeros (0 is "0").
text::WString CrcText(uint32_t crc);

}  // namespace updater
