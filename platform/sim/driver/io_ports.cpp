#include "platform/sim/driver/io_ports.h"

namespace pacetta::sim {
namespace {

// Configuration address (PCI Local Bus Specification 3.0, section 3.2.2.3.2): bit 31
// enables the configuration cycle; bus in bits 23..16, device-function in 15..8, the
// double-word register in 7..2.
constexpr uint32_t kEnable = 0x80000000u;

bool IsConfigData(uint16_t port) {
  return port >= IoPorts::kConfigData && port <= IoPorts::kConfigData + 3;
}

bool IsTimer(uint16_t port) {
  return port >= Pit8254::kCounter0 && port <= Pit8254::kControl;
}

}  // namespace

uint8_t IoPorts::ReadByte(uint16_t port, uint32_t address) {
  if (IsConfigData(port)) {
    if ((address & kEnable) == 0) return 0xFF;
    return pci_.ReadByte(address >> 16 & 0xFF, address >> 8 & 0xFF,
                         (address & 0xFC) + (port - kConfigData));
  }
  if (IsTimer(port)) return timer_.Read(port);
  return 0xFF;
}

void IoPorts::WriteByte(uint16_t port, uint8_t value, uint32_t address) {
  if (IsConfigData(port)) {
    if ((address & kEnable) == 0) return;
    pci_.WriteByte(address >> 16 & 0xFF, address >> 8 & 0xFF,
                   (address & 0xFC) + (port - kConfigData), value);
  } else if (IsTimer(port)) {
    timer_.Write(port, value);
  }
}

uint32_t IoPorts::Read(uint16_t port, unsigned width, std::atomic<uint32_t>& configAddress) {
  if (port == kConfigAddress && width == 4) return configAddress.load();
  for (const auto& device : devices_) {
    if (const auto value = device->Read(port, width)) return *value;
  }
  const uint32_t address = configAddress.load();
  uint32_t value = 0;
  for (unsigned i = 0; i < width; ++i) {
    value |= uint32_t{ReadByte(static_cast<uint16_t>(port + i), address)} << (8 * i);
  }
  return value;
}

void IoPorts::Write(uint16_t port, unsigned width, uint32_t value,
                    std::atomic<uint32_t>& configAddress) {
  if (port == kConfigAddress && width == 4) {
    configAddress.store(value);
    return;
  }
  for (const auto& device : devices_) {
    if (device->Write(port, width, value)) return;
  }
  const uint32_t address = configAddress.load();
  for (unsigned i = 0; i < width; ++i) {
    WriteByte(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)), address);
  }
}

}  // namespace pacetta::sim
