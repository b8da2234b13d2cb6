#pragma once
#include <cstdint>

#include "platform/cpu_instructions.h"
#include "platform/processors.h"

namespace pacetta {

// Passes of the busy loop that calibration and start-up measurements run.
inline constexpr uint32_t kCalibrationPasses = 200000;
// The longest busy wait a delay may ask for: ten calibration runs. Measurements last
// milliseconds and settling waits microseconds, so only a broken calibration reaches it.
inline constexpr uint32_t kMaxDelayPasses = 10 * kCalibrationPasses;

// Time-stamp cycles per pass of the user-mode busy loop, measured over
// kCalibrationPasses passes on processor 0 (the thread is pinned there when the system
// has more than one processor, and unpinned afterwards). False and 0.0 when the
// time-stamp counter did not advance.
bool CalibrateDelayLoop(platform::Processors& processors, platform::CpuInstructions& cpu,
                        double& cyclesPerPass);

// Passes of the busy loop that last about `microseconds` at a core clock of `clockMhz`,
// given the calibration: round(clock × microseconds / cycles per pass). 0 (no wait) when
// the clock or the calibration is unknown (0, negative or not a number), and at most
// kMaxDelayPasses, so a bad calibration never makes an endless loop.
uint32_t DelayPasses(double clockMhz, double microseconds, double cyclesPerPass);

// The bus clock in MHz from a measured core clock and the multiplier it ran at; 0 when
// either is unknown.
double BusClockMhz(double clockHz, double multiplier);

}  // namespace pacetta
