#pragma once
#include <cstdint>

namespace pacetta {

// The settings the sampler works with, as the settings load derives them.
struct SamplerSettings {
  int32_t refreshMs = 1000;
  int32_t loadDepth = 1;         // control periods in the management load, 1..63
  int32_t temperatureDepth = 5;  // refreshes in the temperature average, 1..63
  int32_t cpuLoadMethod = 2;     // CpuLoadMethod
  int32_t cpuOsLoadSelect = 0;   // 1: the management load is the operating system's
  int32_t runHltOnIdle = 0;      // idle helpers run: their time counts as idle
  int32_t overheatAlert = 1;
  int32_t showCriticalBalloons = 1;
  int32_t tempUnits = 0;  // 1: Fahrenheit
  // The dual-core time-stamp-counter synchroniser; read when the monitoring threads start.
  int32_t tscSyncEnable = 0;
  int32_t tscSyncSource = 0;  // core number 0 or 1
  int32_t tscSyncIntervalMs = 10000;
  int32_t tscSyncWaitMs = 0;  // the receiving core's longest wait; 0: from the refresh interval
};

// The start-up calibration every measurement length is derived from.
struct Calibration {
  double busClockMhz = 0.0;    // processor 0's clock over its multiplier; 0 = unknown
  double cyclesPerPass = 0.0;  // time-stamp cycles per pass of the busy loop; 0 = unknown
  double tscMhz = 0.0;         // processor 0's time-stamp counter rate; 0 = unknown
};

}  // namespace pacetta
