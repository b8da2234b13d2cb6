#pragma once
#include <vector>

#include "app/lifecycle/control_abilities.h"
#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/monitor/sampler_settings.h"
#include "platform/processors.h"

namespace pacetta {

// Enhanced SpeedStep (or VIA PowerSaver) is switched on in processor 0: the enable bit
// of its miscellaneous-enable register (IA32_MISC_ENABLE bit 16).
bool EnhancedSpeedStepOn(const CpuInfo& processor0, SensorHardware& hardware,
                         platform::Processors& processors);

// The busy-loop calibration and the bus clock: processor 0's clock measured over the
// calibration loop, divided by its current multiplier (0 when that is not known). The
// calling thread runs on processor 0 meanwhile and is unpinned afterwards.
Calibration CalibrateAtStart(std::vector<CpuInfo>& records, SensorHardware& hardware,
                             platform::Processors& processors);

}  // namespace pacetta
