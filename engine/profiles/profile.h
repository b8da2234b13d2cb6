#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pacetta {

inline constexpr int32_t kMaxStatesPerList = 64;
inline constexpr int32_t kMaxThrottlesPerList = 8;
inline constexpr int32_t kLowestThrottleLevel = 1;
inline constexpr int32_t kNoThrottling = 8;  // level n runs n eighths of the clock
// 8 throttle levels and 64 states share one position: at most 71; room for 72.
inline constexpr int32_t kMaxPositions = 72;
// A threshold that no load reaches: the position cannot be taken directly.
inline constexpr int32_t kUnreachableThreshold = 200;
// The highest up threshold the derivation produces.
inline constexpr int32_t kHighestUpThreshold = 98;

inline constexpr int32_t kDefaultTargetLoad = 50;
inline constexpr int32_t kDefaultIntervalMs = 200;

// T[i][j]: the load in percent at which position i may move directly to position j.
using ThresholdTable = std::array<std::array<int32_t, kMaxPositions>, kMaxPositions>;

// What a profile asks for on one power source.
struct ProfileHalf {
  uint32_t useFidVid = 0;
  int32_t lastState = -1;                           // -1 = empty list
  std::array<int32_t, kMaxStatesPerList> states{};  // table row indices, slowest first
  uint32_t useThrottle = 0;
  int32_t lastThrottle = -1;                              // -1 = empty list
  std::array<int32_t, kMaxThrottlesPerList> throttles{};  // levels 1..8, slowest first
  int32_t targetLoad = kDefaultTargetLoad;                // percent
  int32_t upIntervalMs = kDefaultIntervalMs;
  int32_t downIntervalMs = kDefaultIntervalMs;
  ThresholdTable thresholds = UnreachableThresholds();  // derived, never stored

  static ThresholdTable UnreachableThresholds();
  bool operator==(const ProfileHalf&) const = default;
};

// The half manages states when states are switched on and listed; likewise throttling.
inline bool ManagesStates(const ProfileHalf& half) {
  return half.useFidVid != 0 && half.lastState >= 0;
}
inline bool ManagesThrottle(const ProfileHalf& half) {
  return half.useThrottle != 0 && half.lastThrottle >= 0;
}
inline bool IsManaged(const ProfileHalf& half) {
  return ManagesStates(half) || ManagesThrottle(half);
}
// Dynamic: there is more than one state or throttle level to choose from.
inline bool IsDynamic(const ProfileHalf& half) {
  return (half.useFidVid != 0 && half.lastState >= 1) ||
         (half.useThrottle != 0 && half.lastThrottle >= 1);
}

// Operating-system power data of a profile: the scheme it selects and its policy.
inline constexpr size_t kOsLinkSize = 16;
inline constexpr size_t kOsPolicySize = 480;
inline constexpr size_t kProfileNameSize = 32;

struct Profile {
  std::array<char, kProfileNameSize> name{};  // zero-padded, not necessarily terminated
  ProfileHalf ac;
  ProfileHalf dc;  // on battery
  std::array<uint8_t, kOsLinkSize> osLink{};
  std::array<uint8_t, kOsPolicySize> osPolicy{};

  ProfileHalf& Half(bool onBattery) { return onBattery ? dc : ac; }
  const ProfileHalf& Half(bool onBattery) const { return onBattery ? dc : ac; }
};

// The fixed profiles; custom ones follow from kFirstCustomProfile.
inline constexpr int32_t kNoManagementProfile = 0;
inline constexpr int32_t kPowerSavingProfile = 1;
inline constexpr int32_t kMaximalPerformanceProfile = 2;
inline constexpr int32_t kOnDemandProfile = 3;
inline constexpr int32_t kFixedProfileCount = 4;
inline constexpr int32_t kFirstCustomProfile = kFixedProfileCount;
inline constexpr int32_t kMaxProfiles = 32;

std::string NameOf(const Profile& profile);
// Longer names are cut to 32 bytes.
void SetName(Profile& profile, std::string_view name);

// A fresh scheme link: zero, except that systems before major version 6 mark it unset
// with -1 and 2 in its first two 32-bit words.
std::array<uint8_t, kOsLinkSize> FreshOsLink(uint32_t osMajorVersion);
// Both halves at their defaults, fresh OS data.
Profile FreshProfile(std::string_view name, uint32_t osMajorVersion);

// The rules of the fixed profiles: "No management" lists nothing, "Power saving" and
// "Maximal performance" list at most one state and one throttle level.
void ApplyFixedProfileRules(Profile& profile, int32_t index);

}  // namespace pacetta
