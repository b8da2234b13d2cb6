#pragma once
#include <cstdint>

namespace pacetta::addins {

// The requests the engines send to the host's main window.
inline constexpr uint32_t kHostSetProfile = 0x0504;
inline constexpr uint32_t kHostGetProfile = 0x0505;
inline constexpr uint32_t kHostPowerSource = 0x0506;
inline constexpr uint32_t kHostBatteryLevel = 0x0507;
inline constexpr uint32_t kHostTemperature = 0x0508;
inline constexpr uint32_t kHostPowerEvent = 0x0509;
inline constexpr uint32_t kHostPowerScheme = 0x050A;

// Which profile a profile request means.
inline constexpr uint64_t kProfileOfAc = 0;
inline constexpr uint64_t kProfileOfBattery = 1;
inline constexpr uint64_t kProfileOfCurrentSource = 3;

// What request 0x0509 answers.
inline constexpr int64_t kPowerEventSuspending = 1;
inline constexpr int64_t kPowerEventResumed = 2;

}  // namespace pacetta::addins
