#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/profiles/profile.h"
#include "power/os_power_policy.h"

namespace pacetta {

// A scheme (older generation) or plan (newer) the OS settings tab lists after the
// program's own, which the tab calls "Custom".
struct OsSchemeChoice {
  power::SchemeId id{};
  std::string name;
};

// What the Profile page's OS settings tab can offer on this system.
struct OsSettingsOffer {
  // "ManageOsPowerSettings" as in force since the start; off, the tab edits nothing.
  bool managed = false;
  power::PowerGeneration generation = power::PowerGeneration::kPlans;
  // The system answers for that generation (Linux offers no schemes to this program).
  bool available = false;
  std::vector<OsSchemeChoice> schemes;
  bool suspendAllowed = false;
  bool hibernateAllowed = false;
  std::vector<uint8_t> lcdLevels;  // the panel's, empty without one
  // The newer generation: how the system names each setting of the table and its
  // subgroup, and the values it takes; empty otherwise.
  std::vector<power::PlanSettingDescription> planSettings;
};

OsSettingsOffer OfferOf(power::OsPowerPolicy& policy, bool managed);

// The older generation's link: the scheme index (-1 the program's own) and the flag word
// (power::kUseOsScheme, kDisableOsProcessorPolicy, kManagePanelBrightness).
struct LegacyLink {
  int32_t index = -1;
  uint32_t flags = 0;
  bool operator==(const LegacyLink&) const = default;
};
LegacyLink ReadLegacyLink(const std::array<uint8_t, kOsLinkSize>& link);
void WriteLegacyLink(const LegacyLink& value, std::array<uint8_t, kOsLinkSize>& link);

// The newer generation's link naming the program's own plan.
inline constexpr std::array<uint8_t, kOsLinkSize> kOwnPlanLink = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Time-outs are edited in whole minutes, 0 (never) to 999999.
inline constexpr int64_t kMaxTimeoutMinutes = 999999;
int64_t MinutesOf(uint32_t seconds);
// The seconds to keep for `minutes` as shown, clamped to the range. Stored seconds that
// still show as `minutes` stay: a 90-second time-out is not cut to 60 by another edit.
uint32_t SecondsOf(int64_t minutes, uint32_t storedSeconds);

// The edited profile's OS data taken over into `profile` as far as `offer` allows:
// nothing unless managed; older generation: the three flags, the program's scheme or a
// listed one, time-outs of at most 999999 minutes, standby and hibernation 0 where the
// system allows neither, panel levels the panel offers; newer generation: no plan, the
// program's plan or a listed one, and the settings table as edited. What is not allowed
// keeps the profile's value.
void TakeOsSettings(Profile& profile, const Profile& edited, const OsSettingsOffer& offer);
bool SameOsSettings(const Profile& a, const Profile& b);

}  // namespace pacetta
