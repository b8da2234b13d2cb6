#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// The package's energy counter (RAPL): Intel MSR_PKG_ENERGY_STATUS (611h) in units of
// 2^-ESU joules, ESU in bits 12:8 of MSR_RAPL_POWER_UNIT (606h); AMD family 17h and later
// the same layout at C001_029B and C001_0299. The counter is 32 bits wide and wraps.
struct PackageEnergy {
  uint64_t tsc = 0;      // the time-stamp counter right after the reading
  uint32_t counter = 0;  // bits 31:0 of the energy status
  double joulesPerUnit = 0.0;
  bool valid = false;
};

// Reads the counter of the calling thread's processor's package; not valid where the
// processor has none or it cannot be read (no privileged helper). The unit never changes:
// a valid `previous` reading lends its own, and only the counter is read.
PackageEnergy ReadPackageEnergy(const CpuInfo& cpu, SensorHardware& hardware,
                                const PackageEnergy& previous);

// The package's mean power in watts between two readings, the time-stamp counter running
// at `tscMhz`; negative when they measure nothing (either not valid, no time passed).
// One wrap of the counter in between is taken into account.
double PackageWatts(const PackageEnergy& earlier, const PackageEnergy& later, double tscMhz);

}  // namespace pacetta
