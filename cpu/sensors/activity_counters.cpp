#include "cpu/sensors/activity_counters.h"

#include <algorithm>

#include "cpu/sensors/sensor_registers.h"

namespace pacetta {

ActivityCounters ReadActivityCounters(SensorHardware& hardware) {
  ActivityCounters counters;
  MsrRequest mperf, aperf;
  // MPERF first and the time-stamp counter right after it: the two run at the same rate,
  // so their distance must come from one moment.
  const bool read = hardware.driver.ReadMsrValue(mperf, msr::kMperf);
  counters.tsc = hardware.cpu.ReadTimeStampCounter();
  const bool readAperf = hardware.driver.ReadMsrValue(aperf, msr::kAperf);
  counters.mperf = mperf.Value();
  counters.aperf = aperf.Value();
  counters.valid = read && readAperf && !mperf.IsAllOnes() && !aperf.IsAllOnes();
  return counters;
}

Activity ActivityBetween(const ActivityCounters& earlier, const ActivityCounters& later,
                         double tscMhz) {
  Activity activity;
  if (!earlier.valid || !later.valid || !(tscMhz > 0.0)) return activity;
  if (later.tsc <= earlier.tsc || later.mperf < earlier.mperf || later.aperf < earlier.aperf) {
    return activity;
  }
  const double tsc = static_cast<double>(later.tsc - earlier.tsc);
  const double mperf = static_cast<double>(later.mperf - earlier.mperf);
  const double aperf = static_cast<double>(later.aperf - earlier.aperf);
  // MPERF stops while halted: its share of the time-stamp counter is the busy share.
  activity.busyPercent = std::clamp(mperf / tsc * 100.0, 0.0, 100.0);
  if (mperf > 0.0) activity.clockMhz = tscMhz * aperf / mperf;
  return activity;
}

}  // namespace pacetta
