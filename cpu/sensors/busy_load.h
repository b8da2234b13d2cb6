#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// Takes a counter snapshot into history `slot` (kManagementSlot or kMonitoringSlot) and
// gives the load in percent between it and the snapshot `depth` places back: busy cycles
// over time-stamp cycles at the core clock. -1.0 on a processor without a busy-cycle
// counter, when the counter cannot be read (nothing is stored then), when no time passed,
// or when the frequency ratio is unknown. `depth` is taken as 1..63: 0 or a whole ring
// would compare a snapshot with itself.
double BusyLoad(CpuInfo& cpu, SensorHardware& hardware, uint32_t slot, uint32_t depth);

}  // namespace pacetta
