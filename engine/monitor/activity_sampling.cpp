#include "engine/monitor/activity_sampling.h"

#include <algorithm>
#include <cmath>

#include "cpu/pstate/kernel_policy.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/overheat.h"
#include "cpu/sensors/package_energy.h"
#include "cpu/sensors/reading_fields.h"
#include "cpu/sensors/todays_state.h"

namespace pacetta {
namespace {

constexpr double kActivityFallbackMicroseconds = 5000.0;
constexpr double kReferenceMhz = 100.0;
constexpr double kStateTolerance = 0.1;

bool Covers(const platform::CpuTemperature& reading, uint32_t index) {
  return std::find(reading.cpus.begin(), reading.cpus.end(), index) != reading.cpus.end();
}

}  // namespace

bool MeasuresByActivity(const CpuInfo& cpu) {
  return IsTodaysProcessor(cpu);
}

void TakeActivitySample(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                        ActivityCounters& last, PackageEnergy& lastEnergy,
                        const MonitoringParameters& parameters, CpuSample& sample) {
  SensorHardware& hardware = sources.hardware;
  const ReportedState reported = ReadReportedState(cpu, hardware);
  sample.multiplier = static_cast<float>(reported.multiplier);
  sample.voltage = static_cast<float>(reported.volts);

  const ActivityCounters now =
      cpu.hasAperfMperf != 0 ? ReadActivityCounters(hardware) : ActivityCounters{};
  const Activity activity = ActivityBetween(last, now, parameters.calibration.tscMhz);
  if (now.valid) last = now;
  sample.clock = activity.clockMhz;
  sample.cpuLoad = activity.busyPercent;
  if (sample.clock < 0.0 && hardware.kernel) {
    // Without the counters (no privileged helper), or a processor that slept throughout:
    // the kernel's own view of the clock, which everyone may read.
    if (auto khz = hardware.kernel->CurrentKhz(cpu.index)) sample.clock = *khz / 1000.0;
  }
  if (sample.clock < 0.0) {
    // Neither counters nor a kernel clock (a virtual machine, say): the busy wait still
    // measures the clock, as it does on processors without activity counters.
    const uint32_t passes = MeasurementPasses(parameters.calibration, 0.0, parameters.lastClockMhz,
                                              kActivityFallbackMicroseconds);
    ClockReading reading;
    MeasureClock(cpu, hardware, passes != 0 ? passes : kCalibrationPasses, reading);
    if (reading.clockHz > 0.0) sample.clock = reading.clockHz * 1e-6;
  }
  // Under collaborative control (CPPC) the P-state registers keep naming the state the
  // control started from while the hardware runs anywhere below it: a reported state
  // that is not the clock measured says nothing about now. The multiplier is then the
  // measured clock's over the 100 MHz reference, and the voltage is not known.
  if (sample.clock > 0.0 && sample.multiplier > 0.0f &&
      std::abs(sample.multiplier * kReferenceMhz - sample.clock) > sample.clock * kStateTolerance) {
    sample.multiplier = static_cast<float>(sample.clock / kReferenceMhz);
    sample.voltage = 0.0f;
  }
  // The clock the processor runs at is the clock it works at: no modulation here.
  sample.throttle = sample.clock > 0.0 ? 1.0 : sensors::kNotAvailable;
  sample.osLoad = OperatingSystemLoad(sources, cpu.index, osTimes, 1);
  sample.overheat = ReadOverheat(cpu, hardware) ? 1 : 0;
  sample.temperature = static_cast<float>(KernelTemperature(hardware.kernel, cpu.index));
  const PackageEnergy energy = ReadPackageEnergy(cpu, hardware, lastEnergy);
  sample.packageWatts = PackageWatts(lastEnergy, energy, parameters.calibration.tscMhz);
  if (energy.valid) lastEnergy = energy;
}

int32_t ActivityManagementLoad(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                               ActivityCounters& last, uint32_t depth, bool selectOsLoad) {
  const double osLoad = OperatingSystemLoad(sources, cpu.index, osTimes, depth);
  double chosen = osLoad;
  if (!selectOsLoad) {
    const ActivityCounters now =
        cpu.hasAperfMperf != 0 ? ReadActivityCounters(sources.hardware) : ActivityCounters{};
    // The rate cancels out of the busy share; any positive one will do.
    const Activity activity = ActivityBetween(last, now, 1.0);
    if (now.valid) last = now;
    // Without the counters the operating system's load is all there is.
    if (activity.busyPercent >= 0.0) chosen = activity.busyPercent;
  }
  return LoadPercent(chosen);
}

double KernelTemperature(platform::KernelCpu* kernel, uint32_t index) {
  if (!kernel) return sensors::kNotAvailable;
  const std::vector<platform::CpuTemperature> readings = kernel->Temperatures();
  const platform::CpuTemperature* best = nullptr;
  for (const platform::CpuTemperature& reading : readings) {
    if (!Covers(reading, index)) continue;
    // The reading that stands for the fewest processors is the closest one.
    if (!best || reading.cpus.size() < best->cpus.size()) best = &reading;
  }
  // A machine whose readings name no processors: the first one stands for all.
  if (!best && !readings.empty() && readings.front().cpus.empty()) best = &readings.front();
  return best ? best->celsius : sensors::kNotAvailable;
}

}  // namespace pacetta
