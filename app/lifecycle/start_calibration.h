#pragma once
#include <vector>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/monitor/sampler_settings.h"
#include "platform/processors.h"

namespace pacetta {

// What processor 0 can do, as the main window's initialisation decides it.
struct ControlAbilities {
  // FID/VID control, or an enhanced SpeedStep that is switched on.
  bool performanceStates = false;
  bool clockModulation = false;

  bool Any() const { return performanceStates || clockModulation; }
};

ControlAbilities AbilitiesOf(const CpuInfo& processor0, bool enhancedSpeedStepOn);

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
