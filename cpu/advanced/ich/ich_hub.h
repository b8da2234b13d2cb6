#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "hw/pci_bus_manager.h"

namespace pacetta::ich {

// The I/O controller hub's LPC bridge: bus 0, device 1Fh, function 0.
inline constexpr PciLocation kLpcBridge{0, 0x1F * 8};
inline constexpr uint16_t kIntelVendorId = 0x8086;

// The hubs the chipset settings know, numbered by generation: 0 ICH4, 1 ICH4-M, 2 ICH6,
// 3 ICH6-M, 4 ICH7, 5 ICH7-M, 6 ICH8, 7 ICH8-M, 8 ICH9 (odd: the mobile hubs).
struct HubModel {
  uint32_t generation;
  const char* name;
};

// The generation and name of an Intel hub; none for any other device.
std::optional<HubModel> IdentifyHub(uint32_t vendorId, uint32_t deviceId);

struct HubIdentity {
  uint16_t vendorId = 0;
  uint16_t deviceId = 0;
  uint32_t subsystem = 0;
  std::optional<HubModel> model;
};

// Reads the LPC bridge's identifiers and identifies it.
HubIdentity ReadHubIdentity(CPCIBusManager& pci);

}  // namespace pacetta::ich
