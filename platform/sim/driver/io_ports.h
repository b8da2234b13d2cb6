#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/sim/driver/pci_config_space.h"
#include "platform/sim/driver/pit8254.h"

namespace pacetta::sim {

// A device that decodes a window of the port space itself and answers an access at its
// full width (the chipset's ACPI block); its window may move while the machine runs.
class IoDevice {
 public:
  virtual ~IoDevice() = default;
  // Nullopt (nothing done) when the device does not decode `port` now.
  virtual std::optional<uint32_t> Read(uint16_t port, unsigned width) = 0;
  // False (nothing done) when the device does not decode `port` now.
  virtual bool Write(uint16_t port, unsigned width, uint32_t value) = 0;
};

// The machine's I/O port space: PCI configuration mechanism #1 at 0xCF8/0xCFC..0xCFF,
// the 8254 at 0x40..0x43, the attached devices' windows (ahead of the fixed ports, as a
// chipset's positive decode takes the cycle); every other port floats (reads all ones,
// ignores writes). A wider access to a fixed port is a run of byte accesses to consecutive
// ports, as 8-bit devices see it; only a double-word access to 0xCF8 reaches the
// configuration address register.
class IoPorts {
 public:
  static constexpr uint16_t kConfigAddress = 0xCF8;
  static constexpr uint16_t kConfigData = 0xCFC;

  IoPorts(PciConfigSpace& pci, Pit8254& timer) : pci_(pci), timer_(timer) {}

  // `width` is 1, 2 or 4 bytes. `configAddress` is the configuration address register
  // of the caller's device object.
  uint32_t Read(uint16_t port, unsigned width, std::atomic<uint32_t>& configAddress);
  void Write(uint16_t port, unsigned width, uint32_t value, std::atomic<uint32_t>& configAddress);
  // Call before the machine runs.
  void AttachDevice(std::shared_ptr<IoDevice> device) { devices_.push_back(std::move(device)); }

 private:
  uint8_t ReadByte(uint16_t port, uint32_t configAddress);
  void WriteByte(uint16_t port, uint8_t value, uint32_t configAddress);

  PciConfigSpace& pci_;
  Pit8254& timer_;
  std::vector<std::shared_ptr<IoDevice>> devices_;
};

}  // namespace pacetta::sim
