#pragma once
#include <memory>
#include <optional>
#include <span>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/processor_activity.h"

namespace pacetta::sim {

// The temperature at which processor `processor` throttles and reports itself hot: the
// junction maximum of an Intel or VIA part with the thermal control facilities (85 °C
// on a Core 2 whose MSR 0EEh bit 30 says so, else 100 °C). Other parts report no limit.
std::optional<double> ThermalLimitC(const ProcessorSpec& processor);

// Plugs each processor's time-stamp and performance counters and its thermal sensor
// registers into `hardware` (built from `machine`), reading `activities[k]` for
// processor k (null: none). Call once, before the machine runs.
void AttachActivityRegisters(const MachineSpec& machine, DriverHardware& hardware,
                             std::span<const std::shared_ptr<ProcessorActivity>> activities);

}  // namespace pacetta::sim
