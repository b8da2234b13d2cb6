#pragma once
#include <cstdint>
#include <optional>

namespace pacetta {

// The AMD K8 northbridge of node n answers on PCI bus 0 as device 0x18 + n, functions 0
// to 3 (AMD Family 0Fh BIOS and Kernel Developer's Guide, northbridge configuration
// space). A device-function word is device * 8 + function; configuration mechanism #1
// keeps it in address bits 15..8 and it is placed there unmasked, so it must fit in 8
// bits: nodes 0 to 7 only, functions 0 to 7.
inline constexpr uint32_t kK8FirstNorthbridgeDevice = 0x18;
inline constexpr uint32_t kK8MiscControlFunction = 3;

// The device-function word of `function` of node `packageId`'s northbridge, or nullopt
// when that location does not exist.
constexpr std::optional<uint32_t> NorthbridgeDevfn(uint32_t packageId, uint32_t function) {
  // Checked before the sum so that a huge node number cannot wrap into range.
  if (function > 7 || packageId > 0xFF) return std::nullopt;
  const uint32_t devfn = (kK8FirstNorthbridgeDevice + packageId) * 8 + function;
  if (devfn > 0xFF) return std::nullopt;
  return devfn;
}

}  // namespace pacetta
