#include "hw/pci_bus_manager.h"

namespace pacetta {

namespace {

constexpr uint32_t kConfigAddressPort = 0xCF8;
constexpr uint32_t kConfigDataPort = 0xCFC;
constexpr uint32_t kEnableBit = 0x80000000u;

// The device-function word sits unmasked in address bits 15..8: a larger value would
// spill into the bus number and reach another device. Mechanism #1 addresses 256 bytes
// per function; a larger register would silently alias a lower one.
bool Addressable(PciLocation location, uint32_t reg) {
  return location.devfn <= 0xFF && reg <= 0xFF;
}

uint32_t ConfigAddress(PciLocation location, uint32_t reg) {
  return kEnableBit | (location.bus & 0xFF) << 16 | location.devfn << 8 | (reg & 0xFC);
}

uint32_t DataPort(uint32_t reg) {
  return kConfigDataPort + (reg & 3);
}

}  // namespace

bool CPCIBusManager::SelectRegister(PciLocation location, uint32_t reg) {
  if (!Addressable(location, reg)) return false;
  driver_.WritePortDword(kConfigAddressPort, ConfigAddress(location, reg));
  return true;
}

uint32_t CPCIBusManager::ReadConfigByte(PciLocation location, uint32_t reg) {
  if (!SelectRegister(location, reg)) return 0;
  return driver_.ReadPortByte(DataPort(reg));
}

uint32_t CPCIBusManager::ReadConfigWord(PciLocation location, uint32_t reg) {
  if (!SelectRegister(location, reg)) return 0;
  return driver_.ReadPortWord(DataPort(reg));
}

uint32_t CPCIBusManager::ReadConfigDword(PciLocation location, uint32_t reg) {
  if (!SelectRegister(location, reg)) return 0;
  return driver_.ReadPortDword(DataPort(reg));
}

bool CPCIBusManager::WriteConfigByte(PciLocation location, uint32_t reg, uint32_t value) {
  if (!SelectRegister(location, reg)) return false;
  driver_.WritePortByte(DataPort(reg), value & 0xFF);
  return true;
}

bool CPCIBusManager::WriteConfigWord(PciLocation location, uint32_t reg, uint32_t value) {
  if (!SelectRegister(location, reg)) return false;
  driver_.WritePortWord(DataPort(reg), value);
  return true;
}

bool CPCIBusManager::WriteConfigDword(PciLocation location, uint32_t reg, uint32_t value) {
  if (!SelectRegister(location, reg)) return false;
  driver_.WritePortDword(DataPort(reg), value);
  return true;
}

void CPCIBusManager::ReadIdentity(PciLocation location, PciIdentity& identity) {
  identity.vendorId = ReadVendorId(location);
  identity.deviceId = ReadDeviceId(location);
  identity.subsystem = ReadSubsystem(location);
  identity.revision = ReadRevision(location);
}

}  // namespace pacetta
