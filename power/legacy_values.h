#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/profiles/profile.h"
#include "platform/legacy_power_policy.h"
#include "platform/os_power.h"

namespace pacetta::power {

// The program's own scheme keeps the system's time-outs but never lets the system
// throttle the processor: everything below is fixed, and only the fields that
// TakeFromActive names come from the scheme active at start.
platform::PowerPolicy DefaultSchemePolicy();
platform::ProcessorPolicy NoThrottlingProcessorPolicy();
void TakeFromActive(platform::PowerPolicy& own, const platform::PowerPolicy& active);
void TakeFromActive(platform::ProcessorPolicy& own, const platform::ProcessorPolicy& active);

// A profile's own values on the older generation, in seconds and panel levels; index 0
// on AC power, 1 on battery.
struct LegacyCustomValues {
  std::array<uint32_t, 2> monitor{};
  std::array<uint32_t, 2> disks{};
  std::array<uint32_t, 2> standby{};
  std::array<uint32_t, 2> hibernate{};
  std::array<uint32_t, 2> lcd{};
  bool operator==(const LegacyCustomValues&) const = default;
};

LegacyCustomValues ReadCustomValues(const std::array<uint8_t, kOsPolicySize>& policy);
void WriteCustomValues(const LegacyCustomValues& values,
                       std::array<uint8_t, kOsPolicySize>& policy);
// A profile's values are not captured yet while its first word has all bits set.
bool ValuesCaptured(const std::array<uint8_t, kOsPolicySize>& policy);

// Standby and hibernation share the idle action: with a standby time-out the system
// sleeps after it and hibernates after the rest of the hibernation time-out; without
// one it hibernates after its own time-out.
void ApplyCustomValues(const LegacyCustomValues& values, platform::PowerPolicy& policy,
                       platform::PanelLevels& lcd);
LegacyCustomValues CaptureCustomValues(const platform::PowerPolicy& policy,
                                       platform::PanelLevels lcd);

}  // namespace pacetta::power
