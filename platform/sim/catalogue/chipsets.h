#pragma once
#include <cstdint>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// The boards of the catalogue machines: each chipset part at the place where the real
// board has it, with its published vendor and device ids.

// The host bridge (memory controller hub or northbridge) at bus 0, device 0, function 0.
void AddHostBridge(MachineSpec& machine, uint16_t vendorId, uint16_t deviceId, uint8_t revision);

// An Intel I/O controller hub's LPC bridge at bus 0, device 1Fh, function 0, with the ACPI
// power-management I/O block at 1000h decoded, as the BIOS leaves it. The decode enable
// bit of ACPI_CNTL (44h) moved from bit 4 (ICH4, ICH5) to bit 7 (ICH6 and later).
enum class IchAcpiEnableBit { kBit4, kBit7 };
void AddIchLpcBridge(MachineSpec& machine, uint16_t deviceId, uint8_t revision,
                     IchAcpiEnableBit enableBit);

// The Crusoe's integrated northbridge: host bridge, SDRAM controller and BIOS scratchpad as
// functions 0..2 of bus 0, device 0.
void AddCrusoeNorthbridge(MachineSpec& machine);

}  // namespace pacetta::sim
