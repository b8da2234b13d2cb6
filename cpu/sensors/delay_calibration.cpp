#include "cpu/sensors/delay_calibration.h"

#include <cmath>

#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta {

bool CalibrateDelayLoop(platform::Processors& processors, platform::CpuInstructions& cpu,
                        double& cyclesPerPass) {
  const bool several = UsableProcessorCount(processors) > 1;
  if (several) PinToProcessor(processors, 0);
  const uint64_t before = cpu.ReadTimeStampCounter();
  cpu.SpinDelay(kCalibrationPasses);
  const uint64_t after = cpu.ReadTimeStampCounter();
  if (several) UnpinThread(processors);
  // A counter that stands still (or ran backwards across processors) calibrates nothing.
  cyclesPerPass = after > before ? static_cast<double>(after - before) / kCalibrationPasses : 0.0;
  return cyclesPerPass > 0.0;
}

uint32_t DelayPasses(double clockMhz, double microseconds, double cyclesPerPass) {
  if (!(clockMhz > 0.0) || !(microseconds > 0.0) || !(cyclesPerPass > 0.0)) return 0;
  const double passes = std::round(clockMhz * microseconds / cyclesPerPass);
  if (!std::isfinite(passes) || passes >= kMaxDelayPasses) return kMaxDelayPasses;
  return static_cast<uint32_t>(passes);
}

double BusClockMhz(double clockHz, double multiplier) {
  if (!(clockHz > 0.0) || !(multiplier > 0.0)) return 0.0;
  return clockHz / 1e6 / multiplier;
}

}  // namespace pacetta
