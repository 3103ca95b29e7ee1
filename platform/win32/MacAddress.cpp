#include "platform/MacAddress.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <cstring>
#include <vector>

namespace platform {

std::vector<MacAddress> EthernetAddresses() {
  std::vector<MacAddress> out;
  ULONG size = 0;
  if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return out;
  std::vector<unsigned char> buffer(size);
  auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (GetAdaptersInfo(list, &size) != NO_ERROR) return out;
  for (IP_ADAPTER_INFO* it = list; it; it = it->Next) {
    if (it->Type != MIB_IF_TYPE_ETHERNET || it->AddressLength != 6) continue;
    MacAddress mac;
    std::memcpy(mac.data(), it->Address, mac.size());
    out.push_back(mac);
  }
  return out;
}

}  // namespace platform
