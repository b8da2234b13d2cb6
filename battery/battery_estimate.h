#pragma once
#include <cstdint>
#include <optional>

#include "battery/battery_options.h"
#include "battery/battery_slot.h"

namespace pacetta::battery {

// The rate a device page works with: the device's own, or the estimate from the ring
// when the device reports none (or 0), or when the estimate is forced.
struct ChosenRate {
  int32_t value = 0;  // mW (units/hr), negative while discharging
  bool estimated = false;
};

// round((newest − the sample N positions older) × 3600000 ÷ (N × poll interval)).
int32_t EstimateRate(const BatterySlot& slot, const BatteryDerived& derived);
ChosenRate ChooseRate(const BatterySlot& slot, const BatteryDerived& derived,
                      const BatteryOptions& options);

// Seconds left until empty (discharging) or full (charging).
struct RemainingTime {
  enum class Kind { kReported, kEstimated, kUnsupported, kNotApplicable };
  Kind kind = Kind::kUnsupported;
  int64_t seconds = 0;
};

RemainingTime ChooseRemainingTime(const BatterySlot& slot, const ChosenRate& rate,
                                  const BatteryOptions& options);

}  // namespace pacetta::battery
