#include "engine/profiles/profile.h"

#include <algorithm>
#include <cstring>

namespace pacetta {

ThresholdTable ProfileHalf::UnreachableThresholds() {
  ThresholdTable table;
  for (auto& row : table) row.fill(kUnreachableThreshold);
  return table;
}

std::string NameOf(const Profile& profile) {
  const auto end = std::find(profile.name.begin(), profile.name.end(), '\0');
  return std::string(profile.name.begin(), end);
}

void SetName(Profile& profile, std::string_view name) {
  profile.name.fill('\0');
  std::copy_n(name.begin(), std::min(name.size(), profile.name.size()), profile.name.begin());
}

std::array<uint8_t, kOsLinkSize> FreshOsLink(uint32_t osMajorVersion) {
  std::array<uint8_t, kOsLinkSize> link{};
  if (osMajorVersion < 6) {
    // Schemes before version 6 are numbered: -1 marks "none", 2 the policy generation.
    const int32_t words[2] = {-1, 2};
    for (size_t w = 0; w < 2; ++w) {
      const auto value = static_cast<uint32_t>(words[w]);
      for (size_t b = 0; b < 4; ++b) link[w * 4 + b] = static_cast<uint8_t>(value >> (8 * b));
    }
  }
  return link;
}

Profile FreshProfile(std::string_view name, uint32_t osMajorVersion) {
  Profile profile;
  SetName(profile, name);
  profile.osLink = FreshOsLink(osMajorVersion);
  profile.osPolicy.fill(0xFF);
  return profile;
}

namespace {

void KeepAtMostOne(ProfileHalf& half) {
  half.lastState = std::min(half.lastState, 0);
  half.lastThrottle = std::min(half.lastThrottle, 0);
}

void Empty(ProfileHalf& half) {
  half.lastState = -1;
  half.lastThrottle = -1;
}

}  // namespace

void ApplyFixedProfileRules(Profile& profile, int32_t index) {
  switch (index) {
    case kNoManagementProfile:
      Empty(profile.ac);
      Empty(profile.dc);
      break;
    case kPowerSavingProfile:
    case kMaximalPerformanceProfile:
      KeepAtMostOne(profile.ac);
      KeepAtMostOne(profile.dc);
      break;
    default:
      break;
  }
}

}  // namespace pacetta
