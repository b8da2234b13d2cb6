#include "app/desktop/profile_os.h"

#include <algorithm>

#include "power/legacy_values.h"

namespace pacetta {
namespace {

constexpr uint32_t kLegacyFlags =
    power::kUseOsScheme | power::kDisableOsProcessorPolicy | power::kManagePanelBrightness;
constexpr uint32_t kMaxTimeoutSeconds = static_cast<uint32_t>(kMaxTimeoutMinutes * 60);

uint32_t Word(const std::array<uint8_t, kOsLinkSize>& link, size_t word) {
  uint32_t value = 0;
  for (size_t b = 0; b < 4; ++b) value |= static_cast<uint32_t>(link[word * 4 + b]) << (8 * b);
  return value;
}

void PutWord(std::array<uint8_t, kOsLinkSize>& link, size_t word, uint32_t value) {
  for (size_t b = 0; b < 4; ++b) link[word * 4 + b] = static_cast<uint8_t>(value >> (8 * b));
}

bool Lists(const OsSettingsOffer& offer, const power::SchemeId& id) {
  return std::any_of(offer.schemes.begin(), offer.schemes.end(),
                     [&id](const OsSchemeChoice& choice) { return choice.id == id; });
}

power::SchemeId IdOfIndex(int32_t index) {
  std::array<uint8_t, kOsLinkSize> link{};
  PutWord(link, 0, static_cast<uint32_t>(index));
  return link;
}

void TakeLegacy(Profile& profile, const Profile& edited, const OsSettingsOffer& offer) {
  const LegacyLink was = ReadLegacyLink(profile.osLink);
  LegacyLink link = ReadLegacyLink(edited.osLink);
  link.flags &= kLegacyFlags;
  if (link.index != -1 && link.index != was.index && !Lists(offer, IdOfIndex(link.index)))
    link.index = was.index;
  WriteLegacyLink(link, profile.osLink);

  // Values never captured are no values to store.
  if (!power::ValuesCaptured(edited.osPolicy)) return;
  const power::LegacyCustomValues before = power::ReadCustomValues(profile.osPolicy);
  power::LegacyCustomValues values = power::ReadCustomValues(edited.osPolicy);
  for (size_t c = 0; c < 2; ++c) {
    for (auto* timeout : {&values.monitor, &values.disks, &values.standby, &values.hibernate})
      (*timeout)[c] = std::min((*timeout)[c], kMaxTimeoutSeconds);
    // The system would refuse a time-out for a sleep it cannot enter.
    if (!offer.suspendAllowed) values.standby[c] = 0;
    if (!offer.hibernateAllowed) values.hibernate[c] = 0;
    const bool offered = std::find(offer.lcdLevels.begin(), offer.lcdLevels.end(), values.lcd[c]) !=
                         offer.lcdLevels.end();
    if (!offered) values.lcd[c] = before.lcd[c];
  }
  power::WriteCustomValues(values, profile.osPolicy);
}

void TakePlans(Profile& profile, const Profile& edited, const OsSettingsOffer& offer) {
  const auto& link = edited.osLink;
  const bool none = std::all_of(link.begin(), link.end(), [](uint8_t b) { return b == 0; });
  if (none || link == kOwnPlanLink || link == profile.osLink || Lists(offer, link))
    profile.osLink = link;
  if (power::ValuesCaptured(edited.osPolicy)) profile.osPolicy = edited.osPolicy;
}

}  // namespace

OsSettingsOffer OfferOf(power::OsPowerPolicy& policy, bool managed) {
  OsSettingsOffer offer;
  offer.managed = managed;
  offer.generation = policy.Generation();
  offer.available = policy.Available();
  for (int32_t i = 0; i < policy.SchemeCount(); ++i) {
    const power::SchemeEntry* entry = policy.Scheme(i);
    offer.schemes.push_back({entry->id, entry->name});
  }
  offer.suspendAllowed = policy.SuspendAllowed();
  offer.hibernateAllowed = policy.HibernateAllowed();
  const auto levels = policy.LcdLevels();
  offer.lcdLevels.assign(levels.begin(), levels.end());
  if (offer.generation == power::PowerGeneration::kPlans) {
    offer.planSettings = policy.DescribePlanSettings();
  }
  return offer;
}

LegacyLink ReadLegacyLink(const std::array<uint8_t, kOsLinkSize>& link) {
  return {static_cast<int32_t>(Word(link, 0)), Word(link, 1)};
}

void WriteLegacyLink(const LegacyLink& value, std::array<uint8_t, kOsLinkSize>& link) {
  link.fill(0);
  PutWord(link, 0, static_cast<uint32_t>(value.index));
  PutWord(link, 1, value.flags);
}

int64_t MinutesOf(uint32_t seconds) {
  return std::min<int64_t>(seconds / 60, kMaxTimeoutMinutes);
}

uint32_t SecondsOf(int64_t minutes, uint32_t storedSeconds) {
  const int64_t kept = std::clamp<int64_t>(minutes, 0, kMaxTimeoutMinutes);
  if (kept == MinutesOf(storedSeconds)) return storedSeconds;
  return static_cast<uint32_t>(kept * 60);
}

void TakeOsSettings(Profile& profile, const Profile& edited, const OsSettingsOffer& offer) {
  if (!offer.managed || !offer.available) return;
  if (offer.generation == power::PowerGeneration::kLegacy) {
    TakeLegacy(profile, edited, offer);
  } else {
    TakePlans(profile, edited, offer);
  }
}

bool SameOsSettings(const Profile& a, const Profile& b) {
  return a.osLink == b.osLink && a.osPolicy == b.osPolicy;
}

}  // namespace pacetta
