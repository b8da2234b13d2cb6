#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/os_power.h"

namespace pacetta::power {

// The plan settings a profile carries: disk, sleep, processor, display and the rest.
inline constexpr size_t kPlanSettingCount = 30;
// The processor's minimum and maximum performance state, in percent.
inline constexpr size_t kProcessorMinimumSetting = 17;
inline constexpr size_t kProcessorMaximumSetting = 19;

const std::array<platform::PlanSettingId, kPlanSettingCount>& PlanSettings();

// Each setting's AC value, DC value, AC default and DC default, in PlanValue order.
using PlanSettingValues = std::array<std::array<uint32_t, 4>, kPlanSettingCount>;
inline constexpr size_t kPlanSettingsSize = kPlanSettingCount * 4 * 4;  // 480 bytes

// The table as a profile stores it: 32-bit little-endian words, setting by setting.
void PackPlanSettings(const PlanSettingValues& values, std::span<uint8_t, kPlanSettingsSize> out);
PlanSettingValues UnpackPlanSettings(std::span<const uint8_t, kPlanSettingsSize> bytes);

// The system's high-performance plan, which the program's own plan is copied from.
const platform::PlanGuid& HighPerformancePlan();

}  // namespace pacetta::power
