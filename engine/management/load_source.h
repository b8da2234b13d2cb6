#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta::management {

// Where the management threads get their loads: each measures its own processor once per
// control period, then all read the stored loads of every processor.
class LoadSource {
 public:
  virtual ~LoadSource() = default;
  // On processor k's management thread, pinned there: measures the period's load and
  // stores it.
  virtual void Measure(unsigned k) = 0;
  // The stored load of processor k, 0..100.
  virtual int32_t Load(unsigned k) const = 0;
};

// The busy-cycle load of each processor over the load depth, in the management history
// slot, corrected by the busy-cycle ratio of a 100 µs busy wait (which falls below 1
// while the clock is modulated), rounded and clamped to 0..100. A processor without a
// usable counter stores 0.
class BusyCycleLoadSource final : public LoadSource {
 public:
  struct Calibration {
    double busClockMhz = 0.0;
    double cyclesPerPass = 0.0;  // time-stamp cycles per busy-loop pass
  };

  BusyCycleLoadSource(std::span<CpuInfo> records, SensorHardware hardware, uint32_t depth,
                      Calibration calibration);
  void Measure(unsigned k) override;
  int32_t Load(unsigned k) const override;

 private:
  std::span<CpuInfo> records_;
  SensorHardware hardware_;
  uint32_t depth_;
  Calibration calibration_;
  std::array<std::atomic<int32_t>, kMaxProcessors> loads_{};
};

// "LoadAverage" as history entries: round(LoadAverage / ControlInterval), within 1..63.
uint32_t LoadDepth(int32_t loadAverageMs, int32_t controlIntervalMs);

}  // namespace pacetta::management
