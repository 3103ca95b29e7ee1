#include "platform/MacAddress.h"

#include <ifaddrs.h>
#include <net/if_arp.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include <cstring>

namespace platform {

std::vector<MacAddress> EthernetAddresses() {
  std::vector<MacAddress> out;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return out;
  for (ifaddrs* it = list; it; it = it->ifa_next) {
    if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET) continue;
    const auto* ll = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
    if (ll->sll_hatype != ARPHRD_ETHER || ll->sll_halen != 6) continue;
    MacAddress mac;
    std::memcpy(mac.data(), ll->sll_addr, mac.size());
    out.push_back(mac);
  }
  ::freeifaddrs(list);
  return out;
}

}  // namespace platform
