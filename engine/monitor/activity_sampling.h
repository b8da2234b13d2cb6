#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/activity_counters.h"
#include "cpu/sensors/package_energy.h"
#include "engine/monitor/cpu_sample.h"
#include "engine/monitor/measurements.h"

namespace pacetta {

// Today's processors, which the family rules do not cover, are measured by their own
// activity counters between two samples instead of over a busy wait: the effective clock
// and the busy share come from APERF, MPERF and the time-stamp counter, the multiplier
// and voltage from what the processor reports, the temperature from the kernel.
bool MeasuresByActivity(const CpuInfo& cpu);

// The monitoring sample of such a processor, on a thread pinned to it. `last` holds the
// counters of the previous sample (the first sample only stores them); the calibration
// holds the time-stamp counter's rate. Where the counters cannot be read (no privileged
// helper), the clock is the kernel's view of it and the busy load is not available; where
// the kernel has no clock either, it is measured over the busy wait as for any other
// processor. `lastEnergy` holds the package's energy counter of the previous sample, for
// the package's power.
void TakeActivitySample(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                        ActivityCounters& last, PackageEnergy& lastEnergy,
                        const MonitoringParameters& parameters, CpuSample& sample);

// The management load of such a processor in percent (0..100): its busy share since the
// previous management sample, or the operating system's load.
int32_t ActivityManagementLoad(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                               ActivityCounters& last, uint32_t depth, bool selectOsLoad);

// The kernel's temperature of processor `index`: its core's reading where the kernel
// tells the cores apart, else the package's; negative when there is none.
double KernelTemperature(platform::KernelCpu* kernel, uint32_t index);

}  // namespace pacetta
