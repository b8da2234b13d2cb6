#include "cpu/advanced/ich/ich_hub.h"

namespace pacetta::ich {
namespace {

struct KnownHub {
  uint16_t deviceId;
  HubModel model;
};

constexpr KnownHub kHubs[] = {
    {0x24C0, {0, "ICH4"}},     {0x24CC, {1, "ICH4M"}},    {0x2640, {2, "ICH6(R)"}},
    {0x2642, {2, "ICH6(R)W"}}, {0x2641, {3, "ICH6M"}},    {0x27B0, {4, "ICH7A"}},
    {0x27B8, {4, "ICH7(R)"}},  {0x27B9, {5, "ICH7M(U)"}}, {0x27BD, {5, "ICH7M DH"}},
    {0x2810, {6, "ICH8(R)"}},  {0x2812, {6, "ICH8DH"}},   {0x2814, {6, "ICH8DO"}},
    {0x2811, {7, "ICH8M-E"}},  {0x2815, {7, "ICH8M"}},    {0x2912, {8, "ICH9DH"}},
    {0x2914, {8, "ICH9DO"}},   {0x2916, {8, "ICH9R"}},    {0x2918, {8, "ICH9"}},
};

}  // namespace

std::optional<HubModel> IdentifyHub(uint32_t vendorId, uint32_t deviceId) {
  if (vendorId != kIntelVendorId) return std::nullopt;
  for (const KnownHub& hub : kHubs) {
    if (hub.deviceId == deviceId) return hub.model;
  }
  return std::nullopt;
}

HubIdentity ReadHubIdentity(CPCIBusManager& pci) {
  PciIdentity ids;
  pci.ReadIdentity(kLpcBridge, ids);
  HubIdentity identity;
  identity.vendorId = static_cast<uint16_t>(ids.vendorId);
  identity.deviceId = static_cast<uint16_t>(ids.deviceId);
  identity.subsystem = ids.subsystem;
  identity.model = IdentifyHub(ids.vendorId, ids.deviceId);
  return identity;
}

}  // namespace pacetta::ich
