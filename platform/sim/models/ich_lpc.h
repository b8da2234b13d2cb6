#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine.h"

namespace pacetta::sim {

// What one I/O controller hub's LPC bridge (bus 0, device 1Fh, function 0) lets software
// change in its power-management configuration registers: each mask marks the bits of the
// register that are read-write; every other bit keeps the value the machine starts with.
struct IchLpcModel {
  uint32_t acpiDecodeBit;  // ACPI_CNTL (44h): bit 4 on ICH4/ICH5, bit 7 from ICH6 on
  uint16_t pmcon1;         // GEN_PMCON_1, A0h (16-bit)
  uint8_t pmcon2;          // GEN_PMCON_2, A2h
  uint8_t stopTiming;      // A8h: CPUSLP# to STPCLK# delay
  uint8_t cstateConfig;    // A9h: C-state configuration (popup, popdown)
  uint8_t exitTiming;      // AAh: C4/C5 exit timing
};

// The model of the Intel hub with this device id; none for another part.
std::optional<IchLpcModel> IchLpcModelFor(uint16_t deviceId);

// The share of the time the processors' clocks run, as the hub's throttling sets it.
using ChipsetDutyListener = std::function<void(double duty)>;

// Gives the machine's Intel hub (if it has a modelled one) its register model: PMBASE
// (40h) and ACPI_CNTL (44h) read-write, the power-management registers above with the
// bits of the part, and the ACPI I/O block in the port space wherever PMBASE and the
// decode enable put it; its throttling is told to `listener`. Call before the machine runs.
void AttachIchHub(const MachineSpec& machine, DriverHardware& hardware,
                  ChipsetDutyListener listener);

}  // namespace pacetta::sim
