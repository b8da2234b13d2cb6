#include "platform/linux/ftp/network_interfaces.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace pacetta::linux_os {
namespace {

struct FreeInterfaces {
  void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

// Loopback, link-local (what a link gets without any network service) and unset addresses
// reach nothing beyond the link.
bool ReachesOut(const sockaddr* address) {
  if (!address) return false;
  if (address->sa_family == AF_INET) {
    sockaddr_in ip4;
    std::memcpy(&ip4, address, sizeof ip4);
    const uint32_t ip = ntohl(ip4.sin_addr.s_addr);
    return ip != 0 && (ip >> 24) != 127 && (ip >> 16) != 0xa9fe;
  }
  if (address->sa_family == AF_INET6) {
    sockaddr_in6 ip6;
    std::memcpy(&ip6, address, sizeof ip6);
    return !IN6_IS_ADDR_UNSPECIFIED(&ip6.sin6_addr) && !IN6_IS_ADDR_LOOPBACK(&ip6.sin6_addr) &&
           !IN6_IS_ADDR_LINKLOCAL(&ip6.sin6_addr);
  }
  return false;  // the link layer's own entries carry no address to reach anything with
}

}  // namespace

bool AnyInterfaceReachesOut(const ifaddrs* interfaces) {
  for (const ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
    const unsigned flags = entry->ifa_flags;
    if ((flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK) &&
        ReachesOut(entry->ifa_addr)) {
      return true;
    }
  }
  return false;
}

bool MachineReachesOut() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  const std::unique_ptr<ifaddrs, FreeInterfaces> owned(list);
  return AnyInterfaceReachesOut(owned.get());
}

}  // namespace pacetta::linux_os
