#pragma once
#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// True when the calling thread's processor throttles for heat now, or has since the last
// call: the sticky log bit is cleared once seen. False on a processor without a thermal
// monitor, and when the thermal status cannot be read.
bool ReadOverheat(const CpuInfo& cpu, SensorHardware& hardware);

}  // namespace pacetta
