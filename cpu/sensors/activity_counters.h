#pragma once
#include <cstdint>

#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// The processor's own account of its work (processors with the APERF/MPERF pair, CPUID
// leaf 6 ECX bit 0): the time-stamp counter runs at a constant rate, MPERF at that rate
// while the processor is not halted, APERF at the clock it really runs at while not
// halted. Two readings give the effective clock and the busy share without any busy
// wait.
struct ActivityCounters {
  uint64_t tsc = 0;
  uint64_t mperf = 0;
  uint64_t aperf = 0;
  bool valid = false;
};

// Reads the three counters of the calling thread's processor (the pair through the
// driver); `valid` is false when either register could not be read.
ActivityCounters ReadActivityCounters(SensorHardware& hardware);

struct Activity {
  double clockMhz = -1.0;     // negative: the processor never ran in between
  double busyPercent = -1.0;  // negative: not measurable
};

// What happened between two readings of the same processor, the time-stamp counter
// running at `tscMhz`. Counters that did not move forward (a reset, a reading of another
// processor) measure nothing.
Activity ActivityBetween(const ActivityCounters& earlier, const ActivityCounters& later,
                         double tscMhz);

}  // namespace pacetta
