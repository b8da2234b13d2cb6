#pragma once
#include <cstdint>
#include <optional>

#include "hw/k8_northbridge.h"
#include "hw/pci_bus_manager.h"
#include "hw/portex_driver.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// The few registers naming reads beyond the stored leaves: a model-specific register
// (Pentium 4 bus code, Core 2 status), PCI configuration (the K7 host bridge, the K8
// northbridge's capabilities) and Transmeta's own CPUID leaves. Everything acts on the
// processor the calling thread runs on.
class NamingHardware {
 public:
  virtual ~NamingHardware() = default;
  // The low half of register `index`; nullopt when it cannot be read.
  virtual std::optional<uint32_t> ReadMsrLow(uint32_t index) = 0;
  // A configuration double word; what the bus answers for a missing function, 0 when the
  // access fails.
  virtual uint32_t ReadPciDword(PciLocation location, uint32_t reg) = 0;
  virtual platform::CpuidResult Cpuid(uint32_t leaf) = 0;
};

// The program's own access: the driver, configuration mechanism #1 and the processor's
// instructions. With the shared K8 northbridge accessor given, reads of a northbridge's
// miscellaneous-control function take its lock, since the monitoring threads read the
// same function's temperature register at any time.
class DriverNamingHardware final : public NamingHardware {
 public:
  DriverNamingHardware(CPortexDriver& driver, platform::CpuInstructions& cpu,
                       CK8Northbridge* northbridge = nullptr)
      : driver_(driver), cpu_(cpu), northbridge_(northbridge), pci_(driver) {}

  std::optional<uint32_t> ReadMsrLow(uint32_t index) override;
  uint32_t ReadPciDword(PciLocation location, uint32_t reg) override;
  platform::CpuidResult Cpuid(uint32_t leaf) override { return cpu_.Cpuid(leaf, 0); }

 private:
  CPortexDriver& driver_;
  platform::CpuInstructions& cpu_;
  CK8Northbridge* northbridge_;
  CPCIBusManager pci_;
};

}  // namespace pacetta
