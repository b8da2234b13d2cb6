#include "battery/battery_options.h"

#include <algorithm>
#include <cmath>

namespace pacetta::battery {

BatteryDerived DeriveBatteryValues(const BatteryOptions& options, int32_t updateIntervalMs) {
  BatteryDerived derived;
  derived.pollIntervalMs = std::clamp(options.pollIntervalMs, kShortestPollMs, kLongestPollMs);
  const int32_t average =
      std::clamp(options.estimationAverageMs, kShortestAverageMs, kLongestAverageMs);
  // A poll interval shorter than half an update would round to 0 ticks, and a page
  // whose counter never wraps reads its device once only: read on every tick instead.
  const double update = std::max(updateIntervalMs, 1);
  derived.pollDivider =
      std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(derived.pollIntervalMs / update)));
  // The ring holds 64 samples, so the oldest usable one is 63 positions back.
  const long samples = std::lround(static_cast<double>(average) / derived.pollIntervalMs);
  derived.sampleCount = static_cast<uint32_t>(std::clamp<long>(samples, 1, kLargestSampleCount));
  return derived;
}

}  // namespace pacetta::battery
