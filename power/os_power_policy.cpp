#include "power/os_power_policy.h"

#include <algorithm>

#include "power/legacy_values.h"

namespace pacetta::power {
namespace {

using platform::PlanGuid;

constexpr size_t kMaxTextBytes = 255;

std::string Clipped(std::string text) {
  if (text.size() > kMaxTextBytes) text.resize(kMaxTextBytes);
  return text;
}

uint32_t LinkWord(const std::array<uint8_t, kOsLinkSize>& link, size_t word) {
  uint32_t value = 0;
  for (size_t b = 0; b < 4; ++b) value |= static_cast<uint32_t>(link[word * 4 + b]) << (8 * b);
  return value;
}

SchemeId IdOfIndex(uint32_t index) {
  SchemeId id{};
  for (size_t b = 0; b < 4; ++b) id[b] = static_cast<uint8_t>(index >> (8 * b));
  return id;
}

bool AllBytes(const PlanGuid& guid, uint8_t value) {
  return std::all_of(guid.begin(), guid.end(), [value](uint8_t b) { return b == value; });
}

bool IsOwn(const std::string& name, const std::string& description) {
  return name == kOwnSchemeName && description == kOwnSchemeDescription;
}

constexpr platform::PlanValue kPlanValues[] = {platform::PlanValue::kAc, platform::PlanValue::kDc,
                                               platform::PlanValue::kAcDefault,
                                               platform::PlanValue::kDcDefault};

// A system that offers one generation only is served in it, whatever its version says
// (Linux reports 6 and may offer neither); with both or neither the version decides:
// before major version 6 the older generation, from it on the newer one.
PowerGeneration ChooseGeneration(platform::OsPower* os, uint32_t osMajorVersion) {
  const bool legacy = os && os->Legacy() != nullptr;
  const bool plans = os && os->Plans() != nullptr;
  if (legacy != plans) return legacy ? PowerGeneration::kLegacy : PowerGeneration::kPlans;
  return osMajorVersion < 6 ? PowerGeneration::kLegacy : PowerGeneration::kPlans;
}

}  // namespace

OsPowerPolicy::OsPowerPolicy(platform::OsPower* os, uint32_t osMajorVersion)
    : os_(os),
      generation_(ChooseGeneration(os, osMajorVersion)),
      policy_(DefaultSchemePolicy()),
      processorPolicy_(NoThrottlingProcessorPolicy()) {
  if (os_) {
    if (generation_ == PowerGeneration::kLegacy) legacy_ = os_->Legacy();
    if (generation_ == PowerGeneration::kPlans) plans_ = os_->Plans();
  }
  own_.name = kOwnSchemeName;
  own_.description = kOwnSchemeDescription;
}

int32_t OsPowerPolicy::EnumerateSchemes(bool createOwn) {
  schemes_.clear();
  int32_t result = kPowerFailed;
  if (legacy_) result = EnumerateLegacy(createOwn);
  if (plans_) result = EnumeratePlans(createOwn);
  own_.id = OwnSchemeId();
  return result;
}

int32_t OsPowerPolicy::EnumerateLegacy(bool createOwn) {
  ownIndex_ = -1;
  highestIndex_ = -1;
  const auto listed = legacy_->Enumerate();
  if (listed.failed) return ResultOf(listed);
  for (const platform::LegacyScheme& scheme : listed.value) {
    highestIndex_ = std::max(highestIndex_, static_cast<int32_t>(scheme.index));
    if (IsOwn(scheme.name, scheme.description)) {
      ownIndex_ = static_cast<int32_t>(scheme.index);
    } else if (schemes_.size() < kMaxListedSchemes) {
      schemes_.push_back(
          {IdOfIndex(scheme.index), Clipped(scheme.name), Clipped(scheme.description)});
    }
  }
  const auto active = legacy_->Active();
  if (active.failed) return ResultOf(active);
  startIndex_ = active.value;

  // The program's scheme keeps the system's time-outs; the rest stays its own.
  policy_ = DefaultSchemePolicy();
  processorPolicy_ = NoThrottlingProcessorPolicy();
  const auto policy = legacy_->Read(startIndex_);
  if (policy.failed) return ResultOf(policy);
  TakeFromActive(policy_, platform::Unpack(policy.value));
  const auto processor = legacy_->ReadProcessor(startIndex_);
  if (processor.failed) return ResultOf(processor);
  TakeFromActive(processorPolicy_, platform::Unpack(processor.value));
  QueryLcdLevels();
  ReadLcdLevels();

  if (!createOwn) return kPowerOk;
  // A scheme a previous run left behind is the program's again and gets today's policy.
  const int32_t index = ownIndex_ >= 0 ? ownIndex_ : highestIndex_ + 1;
  const int32_t written = ResultOf(legacy_->Write(static_cast<uint32_t>(index), kOwnSchemeName,
                                                  kOwnSchemeDescription, platform::Pack(policy_)));
  if (written == kPowerOk) ownIndex_ = index;
  return written;
}

int32_t OsPowerPolicy::EnumeratePlans(bool createOwn) {
  ownPlan_ = {};
  for (uint32_t index = 0;; ++index) {
    const auto plan = plans_->EnumeratePlan(index);
    if (plan.failed) break;  // past the end of the list
    const auto name = plans_->FriendlyName(plan.value);
    const auto description = plans_->Description(plan.value);
    const std::string nameText = name.failed ? std::string() : name.value;
    const std::string descriptionText = description.failed ? std::string() : description.value;
    if (IsOwn(nameText, descriptionText)) {
      if (AllBytes(ownPlan_, 0)) ownPlan_ = plan.value;
    } else if (schemes_.size() < kMaxListedSchemes) {
      schemes_.push_back({plan.value, Clipped(nameText), Clipped(descriptionText)});
    }
  }
  const auto active = plans_->ActivePlan();
  if (active.failed) return ResultOf(active);
  startPlan_ = active.value;

  // A setting the system cannot read keeps 0; the first such failure is reported once
  // the rest is done.
  int32_t firstFailure = kPowerOk;
  const auto& settings = PlanSettings();
  for (size_t i = 0; i < kPlanSettingCount; ++i) {
    for (size_t v = 0; v < 4; ++v) {
      const auto value = plans_->ReadValue(startPlan_, settings[i], kPlanValues[v]);
      planValues_[i][v] = value.failed ? 0 : value.value;
      if (value.failed && firstFailure == kPowerOk) firstFailure = ResultOf(value);
    }
  }
  // The system's own processor policy must not hold the processor below full speed.
  planValues_[kProcessorMinimumSetting].fill(100);
  planValues_[kProcessorMaximumSetting].fill(100);
  QueryLcdLevels();
  ReadLcdLevels();

  if (createOwn && AllBytes(ownPlan_, 0)) {
    const auto copy = plans_->Duplicate(HighPerformancePlan());
    if (copy.failed) return ResultOf(copy);
    ownPlan_ = copy.value;
    if (int32_t r = ResultOf(plans_->WriteFriendlyName(ownPlan_, kOwnSchemeName)); r != kPowerOk) {
      return r;
    }
    if (int32_t r = ResultOf(plans_->WriteDescription(ownPlan_, kOwnSchemeDescription));
        r != kPowerOk) {
      return r;
    }
  }
  return firstFailure;
}

bool OsPowerPolicy::UsesScheme(const Profile& profile) const {
  if (generation_ == PowerGeneration::kLegacy)
    return (LinkWord(profile.osLink, 1) & kUseOsScheme) != 0;
  return !AllBytes(profile.osLink, 0);
}

bool OsPowerPolicy::NamesOwnScheme(const Profile& profile) const {
  if (generation_ == PowerGeneration::kLegacy) {
    return static_cast<int32_t>(LinkWord(profile.osLink, 0)) == -1;
  }
  return AllBytes(profile.osLink, 0xFF);
}

int32_t OsPowerPolicy::ActivateProfile(const Profile& profile) {
  if (!UsesScheme(profile)) return kPowerOk;
  if (NamesOwnScheme(profile)) ApplyProfileValues(profile);
  return ActivateScheme(profile.osLink);
}

int32_t OsPowerPolicy::ActivateScheme(const std::array<uint8_t, kOsLinkSize>& link) {
  if (legacy_) return ActivateLegacy(static_cast<int32_t>(LinkWord(link, 0)), LinkWord(link, 1));
  if (!plans_) return kPowerFailed;
  if (!AllBytes(link, 0xFF)) return ResultOf(plans_->SetActivePlan(link));
  // The program's plan: its settings first, then the plan.
  if (AllBytes(ownPlan_, 0)) return kPowerFailed;
  const auto& settings = PlanSettings();
  for (size_t i = 0; i < kPlanSettingCount; ++i) {
    for (size_t v = 0; v < 4; ++v) {
      const auto written =
          plans_->WriteValue(ownPlan_, settings[i], kPlanValues[v], planValues_[i][v]);
      if (written.failed) return ResultOf(written);
    }
  }
  return ResultOf(plans_->SetActivePlan(ownPlan_));
}

int32_t OsPowerPolicy::ActivateLegacy(int32_t index, uint32_t flags) {
  uint32_t target = static_cast<uint32_t>(index);
  platform::PowerPolicyBlock own{};
  const platform::PowerPolicyBlock* policy = nullptr;
  if (index == -1) {
    if (ownIndex_ < 0) return kPowerFailed;
    target = static_cast<uint32_t>(ownIndex_);
    own = platform::Pack(policy_);
    policy = &own;
  }
  if (int32_t r = ResultOf(legacy_->SetActive(target, policy)); r != kPowerOk) return r;
  if ((flags & kDisableOsProcessorPolicy) != 0) {
    // Replaces that scheme's processor policy for good: the system keeps no copy.
    const auto written = legacy_->WriteProcessor(target, platform::Pack(processorPolicy_));
    if (written.failed) return ResultOf(written);
  }
  // Brightness never stops an activation.
  if ((flags & kManagePanelBrightness) != 0) SetLcdLevels();
  return kPowerOk;
}

void OsPowerPolicy::CaptureProfileValues(Profile& profile) const {
  if (generation_ == PowerGeneration::kLegacy) {
    WriteCustomValues(CaptureCustomValues(policy_, lcd_), profile.osPolicy);
    return;
  }
  PackPlanSettings(planValues_, std::span<uint8_t, kPlanSettingsSize>(profile.osPolicy));
}

void OsPowerPolicy::ApplyProfileValues(const Profile& profile) {
  // Values never captured are no values: the program's policy stays as it is.
  if (!ValuesCaptured(profile.osPolicy)) return;
  if (generation_ == PowerGeneration::kLegacy) {
    ApplyCustomValues(ReadCustomValues(profile.osPolicy), policy_, lcd_);
    return;
  }
  planValues_ = UnpackPlanSettings(std::span<const uint8_t, kPlanSettingsSize>(profile.osPolicy));
}

void OsPowerPolicy::CaptureWhereMissing(Profile& profile) const {
  if (!ValuesCaptured(profile.osPolicy)) CaptureProfileValues(profile);
}

int32_t OsPowerPolicy::RestoreAtExit(bool manage) {
  if (!manage) return kPowerOk;
  int32_t result = kPowerFailed;
  if (legacy_) {
    result = ActivateLegacy(static_cast<int32_t>(startIndex_), 0);
    // The scheme in force cannot go; a failed return above leaves it for the next start.
    if (ownIndex_ >= 0) {
      const int32_t deleted = ResultOf(legacy_->Delete(static_cast<uint32_t>(ownIndex_)));
      if (deleted == kPowerOk) ownIndex_ = -1;
      if (result == kPowerOk) result = deleted;
    }
  } else if (plans_) {
    result = ResultOf(plans_->SetActivePlan(startPlan_));
    if (!AllBytes(ownPlan_, 0)) {
      const int32_t deleted = ResultOf(plans_->DeletePlan(ownPlan_));
      if (deleted == kPowerOk) ownPlan_ = {};
      if (result == kPowerOk) result = deleted;
    }
  }
  return result;
}

int32_t OsPowerPolicy::GetActiveSchemeId(SchemeId& id) {
  id.fill(0);
  if (legacy_) {
    const auto active = legacy_->Active();
    if (!active.failed) id = IdOfIndex(active.value);
    return ResultOf(active);
  }
  if (!plans_) return kPowerFailed;
  const auto active = plans_->ActivePlan();
  if (!active.failed) id = active.value;
  return ResultOf(active);
}

bool OsPowerPolicy::SuspendAllowed() {
  return legacy_ ? legacy_->SuspendAllowed() : plans_ != nullptr;
}

bool OsPowerPolicy::HibernateAllowed() {
  return legacy_ ? legacy_->HibernateAllowed() : plans_ != nullptr;
}

int32_t OsPowerPolicy::QueryLcdLevels() {
  if (!os_) return kPowerFailed;
  const auto levels = os_->Panel().SupportedLevels();
  if (levels.failed) {
    lcdLevels_.clear();
    return ResultOf(levels);
  }
  lcdLevels_ = levels.value;
  if (lcdLevels_.size() > 256) lcdLevels_.resize(256);
  return kPowerOk;
}

int32_t OsPowerPolicy::ReadLcdLevels() {
  if (!os_) return kPowerFailed;
  const auto levels = os_->Panel().Levels();
  if (!levels.failed) lcd_ = levels.value;
  return ResultOf(levels);
}

int32_t OsPowerPolicy::SetLcdLevels() {
  if (!os_) return kPowerFailed;
  return ResultOf(os_->Panel().SetLevels(lcd_));
}

int32_t OsPowerPolicy::LcdLevelAt(size_t index, uint8_t& level) const {
  if (index >= lcdLevels_.size()) return kPowerInvalidArgument;
  level = lcdLevels_[index];
  return kPowerOk;
}

int32_t OsPowerPolicy::LcdLevelIndex(uint8_t level) const {
  const auto found = std::find(lcdLevels_.begin(), lcdLevels_.end(), level);
  return found == lcdLevels_.end() ? -1 : static_cast<int32_t>(found - lcdLevels_.begin());
}

const SchemeEntry* OsPowerPolicy::Scheme(int32_t entry) const {
  if (entry == -1) return &own_;
  if (entry < 0 || entry >= SchemeCount()) return nullptr;
  return &schemes_[static_cast<size_t>(entry)];
}

int32_t OsPowerPolicy::SchemeIndexOf(const SchemeId& id) const {
  for (size_t i = 0; i < schemes_.size(); ++i) {
    if (schemes_[i].id == id) return static_cast<int32_t>(i);
  }
  return -1;
}

bool OsPowerPolicy::HasOwnScheme() const {
  return generation_ == PowerGeneration::kLegacy ? ownIndex_ >= 0 : !AllBytes(ownPlan_, 0);
}

SchemeId OsPowerPolicy::OwnSchemeId() const {
  if (generation_ == PowerGeneration::kPlans) return ownPlan_;
  return ownIndex_ >= 0 ? IdOfIndex(static_cast<uint32_t>(ownIndex_)) : SchemeId{};
}

SchemeId OsPowerPolicy::StartSchemeId() const {
  return generation_ == PowerGeneration::kLegacy ? IdOfIndex(startIndex_) : startPlan_;
}

}  // namespace pacetta::power
