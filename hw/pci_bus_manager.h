#pragma once
#include <cstdint>

#include "hw/portex_driver.h"

namespace pacetta {

// A PCI function: the bus (only its low 8 bits reach the address) and device * 8 +
// function.
struct PciLocation {
  uint32_t bus = 0;
  uint32_t devfn = 0;
};

// The identification words of a PCI function, in the order they are read.
struct PciIdentity {
  uint32_t vendorId = 0;
  uint32_t deviceId = 0;
  uint32_t subsystem = 0;
  uint32_t revision = 0;
};

// Configuration space through configuration mechanism #1 (PCI Local Bus 3.0, section
// 3.2.2.3.2): the address goes to port 0xCF8, the data moves through ports 0xCFC..0xCFF.
// An access is two driver requests and is not atomic; callers that share a function
// between threads serialise their accesses themselves.
class CPCIBusManager {
 public:
  explicit CPCIBusManager(CPortexDriver& driver) : driver_(driver) {}
  virtual ~CPCIBusManager() = default;

  // Used by every operation that is given no location; {0, 0} after construction.
  void SetDefaultLocation(PciLocation location) { location_ = location; }
  PciLocation DefaultLocation() const { return location_; }

  // The value as the driver's port read returns it; 0 when the request fails or the
  // location or register cannot be addressed (device-function above 255, register
  // above 255).
  uint32_t ReadConfigByte(PciLocation location, uint32_t reg);
  uint32_t ReadConfigWord(PciLocation location, uint32_t reg);
  uint32_t ReadConfigDword(PciLocation location, uint32_t reg);
  uint32_t ReadConfigByte(uint32_t reg) { return ReadConfigByte(location_, reg); }
  uint32_t ReadConfigWord(uint32_t reg) { return ReadConfigWord(location_, reg); }
  uint32_t ReadConfigDword(uint32_t reg) { return ReadConfigDword(location_, reg); }

  // True once the requests are issued (a failed port request is not detectable); false,
  // with nothing written, for a location or register that cannot be addressed.
  bool WriteConfigByte(PciLocation location, uint32_t reg, uint32_t value);
  bool WriteConfigWord(PciLocation location, uint32_t reg, uint32_t value);
  bool WriteConfigDword(PciLocation location, uint32_t reg, uint32_t value);
  bool WriteConfigByte(uint32_t reg, uint32_t value) {
    return WriteConfigByte(location_, reg, value);
  }
  bool WriteConfigWord(uint32_t reg, uint32_t value) {
    return WriteConfigWord(location_, reg, value);
  }
  bool WriteConfigDword(uint32_t reg, uint32_t value) {
    return WriteConfigDword(location_, reg, value);
  }

  uint32_t ReadVendorId(PciLocation location) { return ReadConfigWord(location, 0x00); }
  uint32_t ReadDeviceId(PciLocation location) { return ReadConfigWord(location, 0x02); }
  uint32_t ReadRevision(PciLocation location) { return ReadConfigByte(location, 0x08); }
  uint32_t ReadSubsystem(PciLocation location) { return ReadConfigDword(location, 0x2C); }
  uint32_t ReadVendorId() { return ReadVendorId(location_); }
  uint32_t ReadDeviceId() { return ReadDeviceId(location_); }
  uint32_t ReadRevision() { return ReadRevision(location_); }
  uint32_t ReadSubsystem() { return ReadSubsystem(location_); }

  // Vendor, device, subsystem, revision, read in that order.
  void ReadIdentity(PciLocation location, PciIdentity& identity);
  void ReadIdentity(PciIdentity& identity) { ReadIdentity(location_, identity); }

 private:
  // Selects the register's double word; false when it cannot be addressed.
  bool SelectRegister(PciLocation location, uint32_t reg);

  CPortexDriver& driver_;
  PciLocation location_;
};

}  // namespace pacetta
