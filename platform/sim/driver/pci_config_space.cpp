#include "platform/sim/driver/pci_config_space.h"

#include <algorithm>

namespace pacetta::sim {
namespace {

// Vendor and device id, revision and class code, subsystem ids: the function's
// identity, read-only (PCI Local Bus Specification 3.0, section 6.2).
bool IsIdentity(uint32_t offset) {
  return offset <= 0x03 || (offset >= 0x08 && offset <= 0x0B) || (offset >= 0x2C && offset <= 0x2F);
}

// The status register's low byte is read-only; its high byte holds error bits that a
// write of one clears (section 6.2.3).
constexpr uint32_t kStatusLow = 0x06;
constexpr uint32_t kStatusHigh = 0x07;

}  // namespace

PciConfigSpace::PciConfigSpace(const std::vector<PciDeviceSpec>& devices) {
  for (const PciDeviceSpec& device : devices) {
    // Locations outside the 8-bit bus and device-function fields cannot be addressed.
    if (device.bus > 0xFF || device.devfn > 0xFF) continue;
    Space space{};
    std::copy_n(device.config.begin(), std::min(device.config.size(), space.size()), space.begin());
    functions_.emplace(Key(device.bus, device.devfn), space);
  }
}

uint8_t PciConfigSpace::ReadByte(uint32_t bus, uint32_t devfn, uint32_t offset) const {
  std::lock_guard lock(mutex_);
  const auto found = functions_.find(Key(bus, devfn));
  if (found == functions_.end()) return 0xFF;
  const auto reg = registers_.find(RegisterKey(bus, devfn, offset & 0xFF));
  if (reg != registers_.end()) return static_cast<uint8_t>(reg->second->Read() >> 8 * (offset & 3));
  return found->second[offset & 0xFF];
}

void PciConfigSpace::WriteByte(uint32_t bus, uint32_t devfn, uint32_t offset, uint8_t value) {
  offset &= 0xFF;
  if (IsIdentity(offset) || offset == kStatusLow) return;
  std::lock_guard lock(mutex_);
  const auto found = functions_.find(Key(bus, devfn));
  if (found == functions_.end()) return;
  const auto reg = registers_.find(RegisterKey(bus, devfn, offset));
  if (reg != registers_.end()) {
    const unsigned shift = 8 * (offset & 3);
    reg->second->Write(uint32_t{value} << shift, 0xFFu << shift);
    return;
  }
  uint8_t& stored = found->second[offset];
  stored = offset == kStatusHigh ? static_cast<uint8_t>(stored & ~value) : value;
}

bool PciConfigSpace::AttachRegister(uint32_t bus, uint32_t devfn, uint32_t offset,
                                    std::shared_ptr<PciRegister> reg) {
  std::lock_guard lock(mutex_);
  if (!functions_.contains(Key(bus, devfn))) return false;
  registers_[RegisterKey(bus, devfn, offset)] = std::move(reg);
  return true;
}

bool PciConfigSpace::Present(uint32_t bus, uint32_t devfn) const {
  std::lock_guard lock(mutex_);
  return functions_.contains(Key(bus, devfn));
}

}  // namespace pacetta::sim
