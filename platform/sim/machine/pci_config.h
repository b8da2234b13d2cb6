#pragma once
#include <cstdint>

#include "platform/sim/machine.h"

namespace pacetta::sim {

inline constexpr size_t kPciConfigSize = 256;

// The identity registers of a PCI function's type-0 header (PCI Local Bus 3.0, 6.2.1).
struct PciIdentity {
  uint16_t vendorId = 0;
  uint16_t deviceId = 0;
  uint8_t revision = 0;
  uint32_t classCode = 0;  // base class, sub-class, programming interface (24 bits)
  bool multiFunction = false;
  uint16_t subsystemVendorId = 0;
  uint16_t subsystemId = 0;
};

inline constexpr uint32_t kClassHostBridge = 0x060000;
inline constexpr uint32_t kClassIsaBridge = 0x060100;
inline constexpr uint32_t kClassRamController = 0x050000;

// A function at power-on: identity, memory decode and bus mastering on, everything else 0.
PciDeviceSpec MakePciFunction(uint32_t bus, uint32_t device, uint32_t function,
                              const PciIdentity& identity);

uint32_t ReadConfig32(const PciDeviceSpec& device, uint32_t offset);
// Little-endian, as configuration space is; offsets past the 256 bytes are ignored.
void WriteConfig8(PciDeviceSpec& device, uint32_t offset, uint8_t value);
void WriteConfig16(PciDeviceSpec& device, uint32_t offset, uint16_t value);
void WriteConfig32(PciDeviceSpec& device, uint32_t offset, uint32_t value);

const PciDeviceSpec* FindPciDevice(const MachineSpec& machine, uint32_t bus, uint32_t devfn);
// Puts the device into the machine, replacing one at the same location; the list stays
// ordered by bus and device-function.
void PutPciDevice(MachineSpec& machine, PciDeviceSpec device);

}  // namespace pacetta::sim
