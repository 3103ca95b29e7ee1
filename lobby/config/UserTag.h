// The six-byte machine tag the lobby hands to the movie, and its CRC-32 guard.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/MacAddress.h"

namespace lobby {

using UserTagBytes = std::array<uint8_t, 6>;

// The first address whose bytes do not all sum to zero; otherwise six bytes drawn from
// `randomByte` in order.
UserTagBytes PickUserTag(const std::vector<platform::MacAddress>& addresses,
                         const std::function<uint8_t()>& randomByte);

// One byte 0..255 from the process's rand().
uint8_t RandomByte();

// The zip/zlib CRC-32 of the six bytes.
uint32_t UserTagCrc(const UserTagBytes& tag);

}  // namespace lobby
