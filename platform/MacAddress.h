// Hardware addresses of the machine's network adapters.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

using MacAddress = std::array<uint8_t, 6>;

// Six-byte addresses of the Ethernet adapters, in the order the system lists them (zero
// addresses included; the caller decides what to skip). Empty when the list cannot be read.
std::vector<MacAddress> EthernetAddresses();

}  // namespace platform
