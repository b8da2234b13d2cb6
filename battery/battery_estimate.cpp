#include "battery/battery_estimate.h"

#include <algorithm>
#include <cmath>

namespace pacetta::battery {

int32_t EstimateRate(const BatterySlot& slot, const BatteryDerived& derived) {
  const uint32_t n = derived.sampleCount;
  const auto change = static_cast<double>(static_cast<int64_t>(slot.Newest()) -
                                          static_cast<int64_t>(slot.Older(n)));
  const double window = static_cast<double>(n) * derived.pollIntervalMs;
  return static_cast<int32_t>(std::lround(change * 3600000.0 / window));
}

ChosenRate ChooseRate(const BatterySlot& slot, const BatteryDerived& derived,
                      const BatteryOptions& options) {
  // A reported 0 says as little as "unknown": many devices report it while idle.
  if (slot.rate == platform::kBatteryRateUnknown || slot.rate == 0 || options.forceRateEstimate) {
    return {EstimateRate(slot, derived), true};
  }
  return {slot.rate, false};
}

RemainingTime ChooseRemainingTime(const BatterySlot& slot, const ChosenRate& rate,
                                  const BatteryOptions& options) {
  using Kind = RemainingTime::Kind;
  const bool reported = slot.estimatedTime != -1 && slot.estimatedTime != 0;
  if (reported && rate.value < 0 && !options.forceLifeTimeEstimate) {
    return {Kind::kReported, slot.estimatedTime};
  }
  const uint32_t capacity = slot.Newest();
  if (capacity == platform::kBatteryCapacityUnknown ||
      rate.value == platform::kBatteryRateUnknown) {
    return {Kind::kUnsupported, 0};
  }
  if (rate.value == 0) return {Kind::kNotApplicable, 0};
  if (rate.value < 0) {
    return {Kind::kEstimated, std::llround(static_cast<double>(capacity) * 3600.0 /
                                           -static_cast<double>(rate.value))};
  }
  // A gauge may read above its full-charge capacity while it tops up: nothing is left
  // to charge then, rather than a negative or wrapped-around time.
  const double toFull = std::max(0.0, static_cast<double>(slot.information.fullChargedCapacity) -
                                          static_cast<double>(capacity));
  return {Kind::kEstimated, std::llround(toFull * 3600.0 / rate.value)};
}

}  // namespace pacetta::battery
