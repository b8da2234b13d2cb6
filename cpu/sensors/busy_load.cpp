#include "cpu/sensors/busy_load.h"

#include <algorithm>

#include "cpu/sensors/cycle_counter.h"
#include "cpu/sensors/frequency_ratio.h"
#include "cpu/sensors/reading_fields.h"

namespace pacetta {

double BusyLoad(CpuInfo& cpu, SensorHardware& hardware, uint32_t slot, uint32_t depth) {
  if (!(cpu.isAmdPowerNow || cpu.isIntelP6 || cpu.isIntelSpeedStep || cpu.isPentium4)) {
    return sensors::kNotAvailable;
  }
  if (slot >= cpu.busyHistories.size()) return sensors::kNotAvailable;
  CounterSnapshot now;
  if (!ReadCounters(cpu, hardware, now)) return sensors::kNotAvailable;

  BusyHistory& history = cpu.busyHistories[slot];
  const uint32_t newest = history.index % kHistoryLength;
  history.entries[newest] = now;
  ++history.index;

  depth = std::clamp<uint32_t>(depth, 1, kHistoryLength - 1);
  const CounterSnapshot& then = history.entries[(newest + kHistoryLength - depth) % kHistoryLength];
  const uint64_t tscCycles = now.tsc - then.tsc;
  const std::optional<double> ratio = FrequencyRatio(cpu);
  if (tscCycles == 0 || !ratio) return sensors::kNotAvailable;
  const uint64_t busyCycles = BusyCyclesBetween(cpu, then.busy, now.busy);
  return 100.0 * static_cast<double>(busyCycles) / (static_cast<double>(tscCycles) * *ratio);
}

}  // namespace pacetta
