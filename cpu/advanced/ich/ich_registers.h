#pragma once
#include <cstdint>
#include <optional>

#include "cpu/advanced/ich/ich_fields.h"
#include "hw/pci_bus_manager.h"
#include "hw/portex_driver.h"

namespace pacetta::ich {

// PMBASE (40h): the ACPI power-management I/O block's base in bits 15:7.
inline constexpr uint32_t kPmBase = 0x40;
inline constexpr uint32_t kPmBaseMask = 0xFF80;
// ACPI_CNTL (44h): the block's decode enable, bit 4 on ICH4/ICH4-M, bit 7 from ICH6 on.
inline constexpr uint32_t kAcpiControl = 0x44;
constexpr uint32_t AcpiDecodeBit(uint32_t generation) {
  return generation <= 1 ? 0x10 : 0x80;
}
// Below 100h the block would lie over the DMA controller, the interrupt controllers and
// the timer: such a base is the firmware's "unassigned", never a place to decode.
inline constexpr uint32_t kLowestAcpiBase = 0x100;

// PROC_CNT (block + 10h, 32-bit): THTL_DTY 3:1, THTL_EN 4, THRM_DTY 7:5, FORCE_THTL 8, and
// the read-only THTL_STS 17.
inline constexpr uint32_t kProcessorControl = 0x10;
struct Throttling {
  bool forceThermal = false;
  uint32_t thermalDuty = 0;
  bool normal = false;
  uint32_t normalDuty = 0;
  bool operator==(const Throttling&) const = default;
};
Throttling DecodeThrottling(uint32_t processorControl);
// `processorControl` with the four fields replaced (duties cut to three bits).
uint32_t EncodeThrottling(uint32_t processorControl, const Throttling& throttling);
inline constexpr uint32_t kThrottleStatus = 1u << 17;

// The hub's power-management registers of one generation, through the driver: each field
// a read-modify-write of its own bits at the register's width.
class HubRegisters {
 public:
  HubRegisters(CPortexDriver& driver, uint32_t generation)
      : driver_(driver), pci_(driver), generation_(generation) {}

  // Zero for a field the generation does not reach (nothing is read).
  uint32_t Read(Field field);
  // Nothing for a field the generation does not reach; a field kept unchanged on this
  // generation is written back with the value it reads.
  void Write(Field field, uint32_t value);

  // The block's base (PMBASE & FF80h) and ACPI_CNTL's decode enable.
  uint32_t ReadAcpiBase();
  bool AcpiDecodeEnabled();
  void SetAcpiDecode(bool enabled);

  // PROC_CNT in the block at `acpiBase`.
  uint32_t ReadProcessorControl(uint32_t acpiBase);
  void WriteThrottling(uint32_t acpiBase, const Throttling& throttling);

 private:
  uint32_t ReadRegister(uint32_t reg, unsigned bytes);
  void WriteRegister(uint32_t reg, unsigned bytes, uint32_t value);

  CPortexDriver& driver_;
  CPCIBusManager pci_;
  const uint32_t generation_;
};

}  // namespace pacetta::ich
