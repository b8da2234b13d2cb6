#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sim/driver/msr_bank.h"
#include "platform/sim/driver/pci_config_space.h"
#include "platform/sim/models/processor_activity.h"

namespace pacetta::sim {

// Intel IA32_THERM_INTERRUPT (19Bh) and IA32_THERM_STATUS (19Ch) of a part with the
// thermal control facilities (leaf 1 EDX bit 22), Intel SDM volume 3, "Thermal
// Monitoring and Protection":
//  - bit 0 thermal status (read-only): the part is at or over its limit now;
//  - bit 1 thermal status log (R/WC0): it has been since power-on or since software
//    last wrote the bit as 0;
//  - with a digital sensor (leaf 6 EAX bit 0): bits 22..16 the readout in degrees below
//    the junction maximum, bits 30..27 the resolution (1 degree), bit 31 reading valid.
// Reserved bits fault when written; read-only bits ignore writes.
class IntelThermalRegisters final : public MsrHandler {
 public:
  static constexpr uint32_t kInterrupt = 0x19B;
  static constexpr uint32_t kStatus = 0x19C;

  IntelThermalRegisters(std::shared_ptr<ProcessorActivity> activity, bool digitalSensor,
                        double junctionMaxC);

  MsrAccess Read(MsrContext& context, uint32_t index, uint64_t& value) override;
  MsrAccess Write(MsrContext& context, uint32_t index, uint64_t value) override;

 private:
  uint64_t Status();

  std::shared_ptr<ProcessorActivity> activity_;
  const bool digitalSensor_;
  const double junctionMaxC_;
  uint64_t interrupt_ = 0;
  uint64_t hotEventsCleared_ = 0;  // the crossing count when software cleared the log
};

// The K8 northbridge's thermtrip status register, function 3 offset E4h (BKDG for AMD
// Athlon 64 and Opteron, 26094, and for revision F, 32559, "Thermtrip Status Register"):
//  - bit 2 ThermSenseCoreSel and bit 6 ThermSenseSel (read-write) choose the core and
//    sensor whose temperature the register shows;
//  - bits 23..14 the temperature: before revision F bits 23..16 hold degrees + 49 (bits
//    15..14 read 0); from revision F bits 23..14 hold quarter degrees + 49 x 4;
//  - bit 5 ThermtpEn (the BIOS enables thermtrip), bits 1 and 3 ThermtpSense0/1: a core
//    at or over the thermtrip point (125 °C).
class K8ThermtripRegister final : public PciRegister {
 public:
  static constexpr uint32_t kOffset = 0xE4;
  static constexpr double kThermtripC = 125.0;

  // `cores`: the node's cores in core order (one entry on a single-core part).
  K8ThermtripRegister(std::vector<std::shared_ptr<ProcessorActivity>> cores, bool revisionF);

  uint32_t Read() override;
  void Write(uint32_t value, uint32_t byteMask) override;

 private:
  std::vector<std::shared_ptr<ProcessorActivity>> cores_;
  const bool revisionF_;
  uint32_t selects_ = 0;  // bits 2 and 6
};

}  // namespace pacetta::sim
