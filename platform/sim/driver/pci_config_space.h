#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// The configuration space of every PCI function of the machine, 256 bytes each.
// Safe to use from several threads.
class PciConfigSpace {
 public:
  explicit PciConfigSpace(const std::vector<PciDeviceSpec>& devices);

  // An absent function reads all ones and ignores writes, as a master abort does.
  uint8_t ReadByte(uint32_t bus, uint32_t devfn, uint32_t offset) const;
  void WriteByte(uint32_t bus, uint32_t devfn, uint32_t offset, uint8_t value);
  bool Present(uint32_t bus, uint32_t devfn) const;

 private:
  using Space = std::array<uint8_t, 256>;
  static uint32_t Key(uint32_t bus, uint32_t devfn) { return (bus & 0xFF) << 8 | (devfn & 0xFF); }

  mutable std::mutex mutex_;
  std::map<uint32_t, Space> functions_;
};

}  // namespace pacetta::sim
