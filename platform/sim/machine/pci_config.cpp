#include "platform/sim/machine/pci_config.h"

#include <algorithm>

namespace pacetta::sim {
namespace {

constexpr uint32_t kCommandRegister = 0x04;
constexpr uint16_t kCommandMemoryAndBusMaster = 0x0006;

}  // namespace

PciDeviceSpec MakePciFunction(uint32_t bus, uint32_t device, uint32_t function,
                              const PciIdentity& identity) {
  PciDeviceSpec pci;
  pci.bus = bus;
  pci.devfn = device * 8 + function;
  pci.config.assign(kPciConfigSize, 0);
  WriteConfig16(pci, 0x00, identity.vendorId);
  WriteConfig16(pci, 0x02, identity.deviceId);
  WriteConfig16(pci, kCommandRegister, kCommandMemoryAndBusMaster);
  WriteConfig32(pci, 0x08, identity.classCode << 8 | identity.revision);
  WriteConfig8(pci, 0x0E, identity.multiFunction ? 0x80 : 0x00);
  WriteConfig16(pci, 0x2C, identity.subsystemVendorId);
  WriteConfig16(pci, 0x2E, identity.subsystemId);
  return pci;
}

uint32_t ReadConfig32(const PciDeviceSpec& device, uint32_t offset) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    if (offset + i < device.config.size())
      value |= static_cast<uint32_t>(device.config[offset + i]) << (8 * i);
  }
  return value;
}

void WriteConfig8(PciDeviceSpec& device, uint32_t offset, uint8_t value) {
  if (offset < device.config.size()) device.config[offset] = value;
}

void WriteConfig16(PciDeviceSpec& device, uint32_t offset, uint16_t value) {
  WriteConfig8(device, offset, static_cast<uint8_t>(value));
  WriteConfig8(device, offset + 1, static_cast<uint8_t>(value >> 8));
}

void WriteConfig32(PciDeviceSpec& device, uint32_t offset, uint32_t value) {
  WriteConfig16(device, offset, static_cast<uint16_t>(value));
  WriteConfig16(device, offset + 2, static_cast<uint16_t>(value >> 16));
}

const PciDeviceSpec* FindPciDevice(const MachineSpec& machine, uint32_t bus, uint32_t devfn) {
  for (const auto& device : machine.pciDevices) {
    if (device.bus == bus && device.devfn == devfn) return &device;
  }
  return nullptr;
}

void PutPciDevice(MachineSpec& machine, PciDeviceSpec device) {
  auto& devices = machine.pciDevices;
  const auto before = [](const PciDeviceSpec& a, const PciDeviceSpec& b) {
    return a.bus != b.bus ? a.bus < b.bus : a.devfn < b.devfn;
  };
  const auto at = std::lower_bound(devices.begin(), devices.end(), device, before);
  if (at != devices.end() && at->bus == device.bus && at->devfn == device.devfn) {
    *at = std::move(device);
  } else {
    devices.insert(at, std::move(device));
  }
}

}  // namespace pacetta::sim
