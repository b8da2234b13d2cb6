#include "cpu/sensors/clock_measurement.h"

#include <optional>

#include "cpu/pstate/busy_delay.h"
#include "cpu/sensors/cycle_counter.h"
#include "cpu/sensors/frequency_ratio.h"
#include "cpu/sensors/reading_fields.h"
#include "cpu/sensors/timer_snapshot.h"

namespace pacetta {
namespace {

// Time-stamp cycles per second and the busy cycles over the same interval.
struct Interval {
  double tscRate = 0.0;
  uint64_t tscCycles = 0;
  std::optional<uint64_t> busyCycles;
};

std::optional<Interval> OverTimer(const CpuInfo& cpu, SensorHardware& hardware,
                                  uint32_t delayCount) {
  TimerSnapshot first, second;
  if (!TakeTimerSnapshot(cpu, hardware, first)) return std::nullopt;
  BusyDelay(hardware.driver, delayCount);
  if (!TakeTimerSnapshot(cpu, hardware, second)) return std::nullopt;
  const uint32_t elapsed = TimerCountsBetween(first.timerCount, second.timerCount);
  if (elapsed == 0) return std::nullopt;
  Interval interval;
  interval.tscCycles = second.counters.tsc - first.counters.tsc;
  interval.tscRate = static_cast<double>(interval.tscCycles) * sensors::kTimerCountRate / elapsed;
  if (first.counterValid && second.counterValid) {
    interval.busyCycles = BusyCyclesBetween(cpu, first.counters.busy, second.counters.busy);
  }
  return interval;
}

std::optional<Interval> OverSystemCounter(const CpuInfo& cpu, SensorHardware& hardware,
                                          uint32_t delayCount) {
  int64_t before = 0, after = 0, frequency = 0;
  if (hardware.entryPoints.CallNtQueryPerformanceCounter(before, frequency) != 0) {
    return std::nullopt;
  }
  CounterSnapshot first, second;
  const bool firstValid = ReadCounters(cpu, hardware, first);
  BusyDelay(hardware.driver, delayCount);
  if (hardware.entryPoints.CallNtQueryPerformanceCounter(after, frequency) != 0) {
    return std::nullopt;
  }
  const bool secondValid = ReadCounters(cpu, hardware, second);
  if (frequency <= 0 || after <= before) return std::nullopt;
  Interval interval;
  interval.tscCycles = second.tsc - first.tsc;
  interval.tscRate = static_cast<double>(frequency) * static_cast<double>(interval.tscCycles) /
                     static_cast<double>(after - before);
  if (firstValid && secondValid) {
    interval.busyCycles = BusyCyclesBetween(cpu, first.busy, second.busy);
  }
  return interval;
}

// Busy cycles per time-stamp cycle at the core clock.
double BusyShare(uint64_t busyCycles, uint64_t tscCycles, double ratio) {
  return static_cast<double>(busyCycles) / (static_cast<double>(tscCycles) * ratio);
}

}  // namespace

bool MeasureClock(const CpuInfo& cpu, SensorHardware& hardware, uint32_t delayCount,
                  ClockReading& reading) {
  reading = {};
  const std::optional<double> ratio = FrequencyRatio(cpu);
  if (!ratio) return false;
  const std::optional<Interval> interval = cpu.switches.use8254 != 0
                                               ? OverTimer(cpu, hardware, delayCount)
                                               : OverSystemCounter(cpu, hardware, delayCount);
  if (!interval || interval->tscCycles == 0) return false;
  reading.clockHz = *ratio * interval->tscRate;
  if (HasBusyRatio(cpu) && interval->busyCycles) {
    reading.throttle = BusyShare(*interval->busyCycles, interval->tscCycles, *ratio);
  }
  return true;
}

bool MeasureBusyRatio(const CpuInfo& cpu, SensorHardware& hardware, uint32_t delayCount,
                      double& ratio) {
  ratio = sensors::kNotAvailable;
  const std::optional<double> frequencyRatio = FrequencyRatio(cpu);
  if (!HasBusyRatio(cpu) || !frequencyRatio) return false;
  CounterSnapshot first, second;
  if (!ReadCounters(cpu, hardware, first)) return false;
  hardware.cpu.SpinDelay(delayCount);
  if (!ReadCounters(cpu, hardware, second)) return false;
  const uint64_t tscCycles = second.tsc - first.tsc;
  if (tscCycles == 0) return false;
  ratio = BusyShare(BusyCyclesBetween(cpu, first.busy, second.busy), tscCycles, *frequencyRatio);
  return true;
}

}  // namespace pacetta
