#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/driver/pci_config_space.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/models/k8_model.h"

namespace pacetta::sim {

// The K8 northbridge's power-management registers in function 3 (BKDG for AMD Athlon 64
// and Opteron, 26094, and for revision F, 32559, "Power Management Mode 0/1" and "Clock
// Power/Timing Low/High"). Each is a double word of read-write fields; the bits no field
// of the part owns are read-only:
//  - 80h/84h: one mode byte per ACPI state, bits 6:0 (CPU and northbridge low power,
//    FID/VID change, clock divisor select 6:4); bit 3, the alternate-VID change, from
//    revision E on; bit 7 reserved.
//  - D4h: good phase error 2:0, clock ramp hysteresis 10:8 (bit 11, the 4..32 us steps,
//    and bits 15:12 from revision E on), the link PLL lock count 31:16.
//  - D8h: the voltage stabilisation time 19:0 and bits 30:28 on every part, the
//    alternate VID 25:20 from revision E on.
// The power-on value is what the machine's description holds (the firmware's settings of
// a dumped machine; 0 where it gives none), the read-only bits included.
class K8NorthbridgeRegister final : public PciRegister {
 public:
  // Told the register's new value after every write that changes it.
  using Listener = std::function<void(uint32_t value)>;

  K8NorthbridgeRegister(uint32_t start, uint32_t writable, Listener listener = nullptr);

  uint32_t Read() override { return value_; }
  void Write(uint32_t value, uint32_t byteMask) override;

 private:
  uint32_t value_;
  const uint32_t writable_;
  const Listener listener_;
};

// The bits of 80h/84h, D4h and D8h a part implements.
uint32_t K8PowerModeWritable(bool revisionEOrLater);
uint32_t K8ClockTimingLowWritable(bool revisionEOrLater);
uint32_t K8ClockTimingHighWritable(bool revisionEOrLater);

// What a halt mode byte (the C1 state's, 84h bits 31:24) does to a halted core's clock:
// with CPU low power enabled, the clock divisor select v divides it by 8 x 2^v (v = 7 is
// reserved and divides nothing); without, the clock runs on.
uint32_t K8HaltedClockDivisor(uint32_t haltModeByte);

// Puts the four registers in function 3 of every K8 node of `machine`; a write to the
// halt mode byte reaches the models of the node's cores (`models[k]` for processor k,
// null where none).
void AttachK8PowerManagement(const MachineSpec& machine, DriverHardware& hardware,
                             std::span<const std::shared_ptr<FamilyModel>> models);

}  // namespace pacetta::sim
