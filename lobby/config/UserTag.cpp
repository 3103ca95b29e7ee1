#include "lobby/config/UserTag.h"

#include <zlib.h>

#include <cstdlib>
#include <numeric>

namespace lobby {

UserTagBytes PickUserTag(const std::vector<platform::MacAddress>& addresses,
                         const std::function<uint8_t()>& randomByte) {
  for (const auto& mac : addresses) {
    if (std::accumulate(mac.begin(), mac.end(), 0) != 0) return mac;
  }
  UserTagBytes tag{};
  for (auto& b : tag) b = randomByte();
  return tag;
}

uint8_t RandomByte() {
  // Scaled over the whole rand() range, so every byte value is reachable whatever RAND_MAX is.
  return static_cast<uint8_t>(static_cast<long long>(std::rand()) * 256 / (RAND_MAX + 1LL));
}

uint32_t UserTagCrc(const UserTagBytes& tag) {
  return static_cast<uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), tag.data(), tag.size()));
}

}  // namespace lobby
