#pragma once

struct ifaddrs;

namespace pacetta::linux_os {

// Whether one of `interfaces` (a list as getifaddrs makes it) can reach beyond this
// machine: up, with a link, not the loopback, and with an address that is not only for its
// own link.
bool AnyInterfaceReachesOut(const ifaddrs* interfaces);
// The same for the machine's interfaces now.
bool MachineReachesOut();

}  // namespace pacetta::linux_os
