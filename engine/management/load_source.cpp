#include "engine/management/load_source.h"

#include <algorithm>
#include <cmath>

#include "cpu/sensors/busy_load.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/reading_fields.h"

namespace pacetta::management {
namespace {

constexpr double kRatioWaitUs = 100.0;

}  // namespace

BusyCycleLoadSource::BusyCycleLoadSource(std::span<CpuInfo> records, SensorHardware hardware,
                                         uint32_t depth, Calibration calibration)
    : records_(records), hardware_(hardware), depth_(depth), calibration_(calibration) {}

void BusyCycleLoadSource::Measure(unsigned k) {
  if (k >= records_.size() || k >= kMaxProcessors) return;
  CpuInfo& cpu = records_[k];
  double load = BusyLoad(cpu, hardware_, kManagementSlot, depth_);
  const double multiplier =
      MultiplierOf(cpu, static_cast<int32_t>(sensors::LoadReading(cpu.currentFid)));
  const uint32_t passes =
      DelayPasses(calibration_.busClockMhz * multiplier, kRatioWaitUs, calibration_.cyclesPerPass);
  double ratio = 0.0;
  if (load > 0.0 && passes > 0 && MeasureBusyRatio(cpu, hardware_, passes, ratio) && ratio > 0.0)
    load /= ratio;
  // -1 (no counter) and counter glitches end up within 0..100.
  const double rounded = std::isfinite(load) ? std::round(load) : 0.0;
  loads_[k].exchange(static_cast<int32_t>(std::clamp(rounded, 0.0, 100.0)));
}

int32_t BusyCycleLoadSource::Load(unsigned k) const {
  return k < kMaxProcessors ? loads_[k].load() : 0;
}

uint32_t LoadDepth(int32_t loadAverageMs, int32_t controlIntervalMs) {
  const double entries =
      std::round(static_cast<double>(loadAverageMs) / std::max(controlIntervalMs, 1));
  return static_cast<uint32_t>(std::clamp(entries, 1.0, 63.0));
}

}  // namespace pacetta::management
