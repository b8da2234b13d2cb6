#include "platform/linux/ftp/network_interfaces.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <vector>

namespace pacetta::linux_os {
namespace {

// One entry of an interface list: its flags and its address, written out ("" for none).
struct Interface {
  unsigned flags;
  const char* address;
};

// The list getifaddrs would make of `interfaces`, owning its storage.
class InterfaceList {
 public:
  explicit InterfaceList(const std::vector<Interface>& interfaces)
      : entries_(interfaces.size()), addresses_(interfaces.size()) {
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
      ifaddrs& entry = entries_[i];
      entry.ifa_flags = interfaces[i].flags;
      entry.ifa_next = i + 1 < entries_.size() ? &entries_[i + 1] : nullptr;
      sockaddr_storage& storage = addresses_[i];
      auto* ip4 = reinterpret_cast<sockaddr_in*>(&storage);
      auto* ip6 = reinterpret_cast<sockaddr_in6*>(&storage);
      if (inet_pton(AF_INET, interfaces[i].address, &ip4->sin_addr) == 1) {
        ip4->sin_family = AF_INET;
      } else if (inet_pton(AF_INET6, interfaces[i].address, &ip6->sin6_addr) == 1) {
        ip6->sin6_family = AF_INET6;
      } else {
        continue;  // a link-layer entry: no address
      }
      entry.ifa_addr = reinterpret_cast<sockaddr*>(&storage);
    }
  }
  const ifaddrs* Head() const { return entries_.empty() ? nullptr : entries_.data(); }

 private:
  std::vector<ifaddrs> entries_;
  std::vector<sockaddr_storage> addresses_;
};

TEST(NetworkCheck, OnlyAnInterfaceWithALinkAndAnAddressBeyondItReachesOut) {
  constexpr unsigned kUp = IFF_UP | IFF_RUNNING;
  const struct {
    const char* what;
    std::vector<Interface> interfaces;
    bool reachesOut;
  } cases[] = {
      {"nothing", {}, false},
      {"the loopback alone",
       {{kUp | IFF_LOOPBACK, "127.0.0.1"}, {kUp | IFF_LOOPBACK, "::1"}},
       false},
      {"an interface with an address",
       {{kUp | IFF_LOOPBACK, "127.0.0.1"}, {kUp, "192.168.1.20"}},
       true},
      {"a global IPv6 address", {{kUp, "2001:db8::5"}}, true},
      {"the cable out", {{IFF_UP, "192.168.1.20"}}, false},
      {"switched off", {{0, "192.168.1.20"}}, false},
      {"only a self-assigned IPv4 address", {{kUp, "169.254.7.1"}}, false},
      {"only a link-local IPv6 address", {{kUp, "fe80::1"}}, false},
      {"a link without an address", {{kUp, ""}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const InterfaceList list(c.interfaces);
    EXPECT_EQ(AnyInterfaceReachesOut(list.Head()), c.reachesOut);
  }
}

}  // namespace
}  // namespace pacetta::linux_os
