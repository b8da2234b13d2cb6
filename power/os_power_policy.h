#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/profiles/profile.h"
#include "platform/legacy_power_policy.h"
#include "platform/os_power.h"
#include "power/plan_settings.h"
#include "power/power_result.h"

namespace pacetta::power {

// A scheme's identifier as profiles and the events engine hold it: the older
// generation's index as a 32-bit value followed by 12 zero bytes, or the plan's GUID.
using SchemeId = std::array<uint8_t, 16>;

struct SchemeEntry {
  SchemeId id{};
  std::string name;  // at most 255 bytes
  std::string description;
};

// The program's own scheme is recognised by both texts.
inline constexpr char kOwnSchemeName[] = "Pacetta Power Management";
inline constexpr char kOwnSchemeDescription[] = "Tarvello Power Scheme";
inline constexpr size_t kMaxListedSchemes = 256;

// Bits of a profile's flag word on the older generation.
inline constexpr uint32_t kUseOsScheme = 1;
inline constexpr uint32_t kDisableOsProcessorPolicy = 2;
inline constexpr uint32_t kManagePanelBrightness = 4;

enum class PowerGeneration : uint8_t { kLegacy, kPlans };

// A setting of the plan table as the system describes it; names are empty where the
// system gives none.
struct PlanSettingDescription {
  std::string subgroupName;
  platform::PlanSettingInfo info;
};

// The program's part in the system's power policy: the list of the system's schemes,
// a scheme of the program's own that profiles customise, activation of a profile's
// scheme, the panel's brightness, and putting the start scheme back at exit. Every
// operation answers 0 or a negative result (power_result.h); the caller goes on without
// the feature on a failure.
class OsPowerPolicy {
 public:
  // The generation `os` offers when it offers one only; otherwise before major version
  // 6 the older one, from it on the newer one. Without `os`, or without the generation
  // chosen, every call fails.
  OsPowerPolicy(platform::OsPower* os, uint32_t osMajorVersion);

  PowerGeneration Generation() const { return generation_; }
  // The system answers for the generation in use.
  bool Available() const { return legacy_ != nullptr || plans_ != nullptr; }

  // At start: lists the schemes, learns the start scheme and builds the program's policy
  // from it; with `createOwn` the program's scheme is written (or the one a previous
  // run left is taken over).
  int32_t EnumerateSchemes(bool createOwn);
  // Activates the scheme a profile names (its 16-byte link).
  int32_t ActivateScheme(const std::array<uint8_t, kOsLinkSize>& link);
  // What applying a profile does: nothing unless it uses a scheme; its own values go
  // into the program's scheme first when it names that one.
  int32_t ActivateProfile(const Profile& profile);
  bool UsesScheme(const Profile& profile) const;
  bool NamesOwnScheme(const Profile& profile) const;

  // Between the program's policy and a profile's custom values.
  void CaptureProfileValues(Profile& profile) const;
  void ApplyProfileValues(const Profile& profile);
  // A profile whose values were never captured gets the program's current ones.
  void CaptureWhereMissing(Profile& profile) const;

  // With `manage`: the start scheme becomes active again and the program's goes.
  int32_t RestoreAtExit(bool manage);
  int32_t GetActiveSchemeId(SchemeId& id);
  bool SuspendAllowed();
  bool HibernateAllowed();

  // The panel: its levels, read and set from the program's current AC and DC levels.
  int32_t QueryLcdLevels();
  int32_t ReadLcdLevels();
  int32_t SetLcdLevels();
  std::span<const uint8_t> LcdLevels() const { return lcdLevels_; }
  platform::PanelLevels CurrentLcd() const { return lcd_; }
  // kPowerInvalidArgument for an index the panel does not list.
  int32_t LcdLevelAt(size_t index, uint8_t& level) const;
  // -1 when the panel does not offer `level`.
  int32_t LcdLevelIndex(uint8_t level) const;

  // The list for the profile page; entry -1 is the program's own scheme.
  int32_t SchemeCount() const { return static_cast<int32_t>(schemes_.size()); }
  const SchemeEntry* Scheme(int32_t entry) const;
  // -1 when absent (or the program's own).
  int32_t SchemeIndexOf(const SchemeId& id) const;

  bool HasOwnScheme() const;
  SchemeId OwnSchemeId() const;
  SchemeId StartSchemeId() const;
  const platform::PowerPolicy& Policy() const { return policy_; }
  const PlanSettingValues& PlanValues() const { return planValues_; }
  // What the system tells of each setting of the table (plan_descriptions.cpp); empty
  // without plans.
  std::vector<PlanSettingDescription> DescribePlanSettings() const;

 private:
  int32_t EnumerateLegacy(bool createOwn);
  int32_t EnumeratePlans(bool createOwn);
  int32_t ActivateLegacy(int32_t index, uint32_t flags);
  int32_t ActivatePlan(const platform::PlanGuid& plan);

  platform::OsPower* os_;
  PowerGeneration generation_;
  platform::LegacyPowerSchemes* legacy_ = nullptr;
  platform::PowerPlans* plans_ = nullptr;

  std::vector<SchemeEntry> schemes_;
  SchemeEntry own_;
  // Older generation: -1 while the program has no scheme.
  int32_t ownIndex_ = -1;
  int32_t highestIndex_ = -1;
  uint32_t startIndex_ = 0;
  platform::PowerPolicy policy_;
  platform::ProcessorPolicy processorPolicy_;
  // Newer generation: all zero while the program has no plan.
  platform::PlanGuid ownPlan_{};
  platform::PlanGuid startPlan_{};
  PlanSettingValues planValues_{};

  std::vector<uint8_t> lcdLevels_;
  platform::PanelLevels lcd_;
};

}  // namespace pacetta::power
