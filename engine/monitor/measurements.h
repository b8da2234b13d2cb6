#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/monitor/cpu_sample.h"
#include "engine/monitor/os_load.h"
#include "engine/monitor/sampler_settings.h"

namespace pacetta {

// Where a processor's loads come from.
struct LoadSources {
  SensorHardware& hardware;
  uint32_t processorCount = 1;
  // The idle helpers' times, counted as idle; null while no helpers run.
  IdleHelperTimes* idleHelper = nullptr;
};

// Busy-loop passes that last about `microseconds` on a core at bus clock × multiplier;
// with the multiplier (or the bus clock) unknown, at the last clock measured. 0 when
// neither clock nor the loop calibration is known.
uint32_t MeasurementPasses(const Calibration& calibration, double multiplier, double lastClockMhz,
                           double microseconds);

// The operating-system load of processor `processor` over `depth` entries of `history`;
// 0 (and nothing stored) when the system's times cannot be read.
double OperatingSystemLoad(const LoadSources& sources, uint32_t processor, OsTimesHistory& history,
                           uint32_t depth);

struct MonitoringParameters {
  Calibration calibration;
  uint32_t temperatureDepth = 1;
  double lastClockMhz = 0.0;  // the last clock measured on this processor; 0 = none
};

// The monitoring sample of `cpu`, on a thread pinned to it: current state, multiplier
// and voltage, clock and throttle over about 5 ms, the loads over one sample of the
// monitoring histories, the overheat status and the averaged temperature, in that order.
void TakeMonitoringSample(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                          const MonitoringParameters& parameters, CpuSample& sample);

// A load as the management takes it: rounded to whole percent within 0..100; a value
// that is not finite (a counter glitch) counts as 0.
int32_t LoadPercent(double load);

struct ManagementParameters {
  Calibration calibration;
  uint32_t loadDepth = 1;
  bool selectOsLoad = false;  // "CpuOsLoadSelect"
  double lastClockMhz = 0.0;
};

// The management load of `cpu` in percent (0..100), on its management thread: the
// busy-cycle load over the load depth of the management history, related to the share
// of cycles the clock runs (so that clock modulation does not read as idle time), or
// the operating system's load over the same depth.
int32_t ComputeManagementLoad(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                              const ManagementParameters& parameters);

}  // namespace pacetta
