#pragma once
#include <cstdint>

namespace pacetta::battery {

// The battery monitor's settings as it uses them (the settings store keeps them).
struct BatteryOptions {
  bool devNotify = true;   // rebuild the device list on arrival and removal
  bool pollEnable = true;  // list the devices at all
  int32_t pollIntervalMs = 10000;
  int32_t estimationAverageMs = 30000;
  bool forceRateEstimate = false;
  bool forceLifeTimeEstimate = false;
  bool showDischarging = true;
  bool showCharging = true;
  bool showOnAc = false;
  bool fahrenheit = false;
};

// Values that follow from the options and the program's update interval.
struct BatteryDerived {
  uint32_t pollDivider = 10;  // update ticks per device read
  uint32_t sampleCount = 3;   // ring positions the rate estimate spans
  int32_t pollIntervalMs = 10000;
};

inline constexpr int32_t kShortestPollMs = 1000;
inline constexpr int32_t kLongestPollMs = 60000;
inline constexpr int32_t kShortestAverageMs = 1000;
inline constexpr int32_t kLongestAverageMs = 300000;
inline constexpr uint32_t kLargestSampleCount = 63;

BatteryDerived DeriveBatteryValues(const BatteryOptions& options, int32_t updateIntervalMs);

}  // namespace pacetta::battery
