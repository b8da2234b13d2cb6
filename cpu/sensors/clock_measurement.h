#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

struct ClockReading {
  double clockHz = -1.0;   // -1.0: not available
  double throttle = -1.0;  // share of the time the clock ran; -1.0: not available
};

// Measures the core clock of the calling thread's processor against a reference timer
// over a busy delay of `delayCount` passes: the 8254 with the record's "Use8254" switch,
// else the operating system's high-resolution counter. The throttle ratio is the busy
// cycles over the time-stamp cycles at the core clock: the thread itself is busy for the
// whole delay, so only clock modulation and thermal throttling lower it, never idle time.
// False (and both values not available) when the reference did not advance or a
// multiplier the frequency ratio needs is unknown; the throttle alone is not available
// on families without a busy-cycle counter.
bool MeasureClock(const CpuInfo& cpu, SensorHardware& hardware, uint32_t delayCount,
                  ClockReading& reading);

// The busy-cycle ratio over `delayCount` passes of the user-mode busy loop, without a
// reference timer. False and -1.0 on a processor without a usable counter.
bool MeasureBusyRatio(const CpuInfo& cpu, SensorHardware& hardware, uint32_t delayCount,
                      double& ratio);

}  // namespace pacetta
