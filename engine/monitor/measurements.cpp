#include "engine/monitor/measurements.h"

#include <algorithm>
#include <cmath>

#include "cpu/sensors/busy_load.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/overheat.h"
#include "cpu/sensors/reading_fields.h"
#include "cpu/sensors/temperature.h"

namespace pacetta {
namespace {

constexpr double kSampleMicroseconds = 5000.0;    // the monitoring clock measurement
constexpr double kBusyRatioMicroseconds = 100.0;  // the management busy-ratio check

double CurrentMultiplier(const CpuInfo& cpu) {
  return MultiplierOf(cpu, static_cast<int32_t>(sensors::LoadReading(cpu.currentFid)));
}

}  // namespace

uint32_t MeasurementPasses(const Calibration& calibration, double multiplier, double lastClockMhz,
                           double microseconds) {
  double clockMhz = calibration.busClockMhz * multiplier;
  if (!(clockMhz > 0.0)) clockMhz = lastClockMhz;
  return DelayPasses(clockMhz, microseconds, calibration.cyclesPerPass);
}

double OperatingSystemLoad(const LoadSources& sources, uint32_t processor, OsTimesHistory& history,
                           uint32_t depth) {
  const auto times = QueryProcessorTimes(sources.hardware.entryPoints, processor,
                                         sources.processorCount, sources.idleHelper);
  if (!times) return 0.0;
  return StoreAndComputeOsLoad(history, *times, depth);
}

void TakeMonitoringSample(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                          const MonitoringParameters& parameters, CpuSample& sample) {
  SensorHardware& hardware = sources.hardware;
  ReadCurrentState(cpu, hardware);
  const double multiplier = CurrentMultiplier(cpu);
  sample.multiplier = static_cast<float>(multiplier);
  sample.voltage = static_cast<float>(
      VoltageOf(cpu, static_cast<int32_t>(sensors::LoadReading(cpu.currentVid))));

  uint32_t passes = MeasurementPasses(parameters.calibration, multiplier, parameters.lastClockMhz,
                                      kSampleMicroseconds);
  // Without any clock known yet, measure as long as start-up does: the clock must be
  // measured once before the next measurement can be sized by it.
  if (passes == 0) passes = kCalibrationPasses;
  ClockReading reading;
  MeasureClock(cpu, hardware, passes, reading);
  sample.clock = reading.clockHz > 0.0 ? reading.clockHz * 1e-6 : sensors::kNotAvailable;
  sample.throttle = reading.throttle;

  sample.cpuLoad = BusyLoad(cpu, hardware, kMonitoringSlot, 1);
  sample.osLoad = OperatingSystemLoad(sources, cpu.index, osTimes, 1);
  sample.overheat = ReadOverheat(cpu, hardware) ? 1 : 0;

  double temperature = sensors::kNotAvailable;
  ReadTemperature(cpu, hardware, parameters.temperatureDepth, temperature);
  sample.temperature = static_cast<float>(temperature);
}

int32_t ComputeManagementLoad(CpuInfo& cpu, const LoadSources& sources, OsTimesHistory& osTimes,
                              const ManagementParameters& parameters) {
  SensorHardware& hardware = sources.hardware;
  double cpuLoad = BusyLoad(cpu, hardware, kManagementSlot, parameters.loadDepth);
  const double osLoad = OperatingSystemLoad(sources, cpu.index, osTimes, parameters.loadDepth);

  const uint32_t passes = MeasurementPasses(parameters.calibration, CurrentMultiplier(cpu),
                                            parameters.lastClockMhz, kBusyRatioMicroseconds);
  double ratio = 0.0;
  if (passes != 0 && MeasureBusyRatio(cpu, hardware, passes, ratio) && ratio > 0.0) {
    cpuLoad /= ratio;
  }

  const double chosen = parameters.selectOsLoad ? osLoad : cpuLoad;
  // The clamp also absorbs counter glitches and the -1 of a processor without a counter.
  return LoadPercent(chosen);
}

int32_t LoadPercent(double load) {
  const double rounded = std::isfinite(load) ? std::round(load) : 0.0;
  return static_cast<int32_t>(std::clamp(rounded, 0.0, 100.0));
}

}  // namespace pacetta
