#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// A double word of configuration space that the hardware computes instead of storing (a
// sensor, a status register). Called under the space's lock: it must not call back.
class PciRegister {
 public:
  virtual ~PciRegister() = default;
  virtual uint32_t Read() = 0;
  // A write of the bytes that `byteMask` marks (0xFF per byte written).
  virtual void Write(uint32_t value, uint32_t byteMask) = 0;
};

// The configuration space of every PCI function of the machine, 256 bytes each.
// Safe to use from several threads.
class PciConfigSpace {
 public:
  explicit PciConfigSpace(const std::vector<PciDeviceSpec>& devices);

  // An absent function reads all ones and ignores writes, as a master abort does.
  uint8_t ReadByte(uint32_t bus, uint32_t devfn, uint32_t offset) const;
  void WriteByte(uint32_t bus, uint32_t devfn, uint32_t offset, uint8_t value);
  bool Present(uint32_t bus, uint32_t devfn) const;
  // Puts `reg` in place of the stored double word at `offset` (rounded down to a
  // multiple of 4) of a present function; false when the function is absent.
  bool AttachRegister(uint32_t bus, uint32_t devfn, uint32_t offset,
                      std::shared_ptr<PciRegister> reg);

 private:
  using Space = std::array<uint8_t, 256>;
  static uint32_t Key(uint32_t bus, uint32_t devfn) { return (bus & 0xFF) << 8 | (devfn & 0xFF); }

  static uint32_t RegisterKey(uint32_t bus, uint32_t devfn, uint32_t offset) {
    return Key(bus, devfn) << 8 | (offset & 0xFC);
  }

  mutable std::mutex mutex_;
  std::map<uint32_t, Space> functions_;
  std::map<uint32_t, std::shared_ptr<PciRegister>> registers_;
};

}  // namespace pacetta::sim
