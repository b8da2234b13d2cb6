#include "platform/linux/program_plans.h"

#include <algorithm>
#include <utility>

#include "platform/plan_guid.h"

namespace pacetta::linux_os {

using platform::PlanGuid;
using platform::PlanSettingId;
using platform::PlanValue;
using platform::PowerAnswer;
using platform::PowerCall;

namespace {

constexpr char kDisplaySubgroup[] = "7516b95f-f776-4464-8c53-06167f40cc99";
constexpr char kDisplayBrightness[] = "aded5e82-b909-4619-9949-f5d71dac0bcb";

// A held plan's values are keyed by subgroup and setting.
std::pair<PlanGuid, PlanGuid> KeyOf(const PlanSettingId& setting) {
  return {setting.subgroup, setting.setting};
}

bool IsBrightness(const PlanSettingId& setting) {
  return setting == DisplayBrightnessSetting();
}

}  // namespace

PlanSettingId DisplayBrightnessSetting() {
  static const PlanSettingId setting{*platform::ParsePlanGuid(kDisplaySubgroup),
                                     *platform::ParsePlanGuid(kDisplayBrightness)};
  return setting;
}

ProgramPlans::ProgramPlans(std::unique_ptr<PowerProfilePlans> daemon, BacklightPanel& panel)
    : daemon_(std::move(daemon)), panel_(panel) {}

ProgramPlans::HeldPlan* ProgramPlans::Held(const PlanGuid& plan) {
  const auto found = std::find_if(held_.begin(), held_.end(),
                                  [&plan](const HeldPlan& h) { return h.guid == plan; });
  return found == held_.end() ? nullptr : &*found;
}

PowerAnswer<PlanGuid> ProgramPlans::EnumeratePlan(uint32_t index) {
  const auto daemon = daemon_->EnumeratePlan(index);
  if (!daemon.failed || daemon.systemError != platform::kPowerErrorNoMoreItems) return daemon;
  const size_t own = index - std::min<size_t>(index, daemon_->Profiles().size());
  if (own >= held_.size()) return PowerAnswer<PlanGuid>::Error(platform::kPowerErrorNoMoreItems);
  return PowerAnswer<PlanGuid>::Of(held_[own].guid);
}

PowerAnswer<std::string> ProgramPlans::FriendlyName(const PlanGuid& plan) {
  if (const HeldPlan* held = Held(plan)) return PowerAnswer<std::string>::Of(held->name);
  return daemon_->FriendlyName(plan);
}

PowerAnswer<std::string> ProgramPlans::Description(const PlanGuid& plan) {
  if (const HeldPlan* held = Held(plan)) return PowerAnswer<std::string>::Of(held->description);
  return daemon_->Description(plan);
}

PowerAnswer<PlanGuid> ProgramPlans::ActivePlan() {
  if (activeHeld_) return PowerAnswer<PlanGuid>::Of(*activeHeld_);
  return daemon_->ActivePlan();
}

PowerAnswer<uint32_t> ProgramPlans::ReadValue(const PlanGuid& plan, const PlanSettingId& setting,
                                              PlanValue which) {
  if (HeldPlan* held = Held(plan)) {
    // A value never written reads 0, as a fresh plan's does.
    const auto found = held->values.find(KeyOf(setting));
    if (found == held->values.end()) return PowerAnswer<uint32_t>::Of(0);
    return PowerAnswer<uint32_t>::Of(found->second[static_cast<size_t>(which)]);
  }
  if (IsBrightness(setting) && HasBacklight()) {
    // The daemon's profile must exist all the same.
    if (const auto name = daemon_->FriendlyName(plan); name.failed) {
      return PowerAnswer<uint32_t>::Error(name.systemError);
    }
    const auto level = panel_.LevelNow();
    if (level.failed) return PowerAnswer<uint32_t>::Error(level.systemError);
    return PowerAnswer<uint32_t>::Of(level.value);
  }
  return daemon_->ReadValue(plan, setting, which);
}

PowerCall ProgramPlans::WriteValue(const PlanGuid& plan, const PlanSettingId& setting,
                                   PlanValue which, uint32_t value) {
  HeldPlan* held = Held(plan);
  if (!held) return daemon_->WriteValue(plan, setting, which, value);
  held->values[KeyOf(setting)][static_cast<size_t>(which)] = value;
  return PowerCall::Ok();
}

PowerAnswer<PlanGuid> ProgramPlans::Duplicate(const PlanGuid& source) {
  if (!HasBacklight()) return daemon_->Duplicate(source);
  HeldPlan copy;
  if (const HeldPlan* from = Held(source)) {
    copy = *from;
  } else {
    const auto level = panel_.LevelNow();
    if (level.failed) return PowerAnswer<PlanGuid>::Error(level.systemError);
    copy.values[KeyOf(DisplayBrightnessSetting())].fill(level.value);
  }
  // A name no profile of the daemon's can have.
  copy.guid = ProfilePlanGuid("program plan " + std::to_string(++made_));
  held_.push_back(std::move(copy));
  return PowerAnswer<PlanGuid>::Of(held_.back().guid);
}

PowerCall ProgramPlans::WriteFriendlyName(const PlanGuid& plan, const std::string& name) {
  HeldPlan* held = Held(plan);
  if (!held) return daemon_->WriteFriendlyName(plan, name);
  held->name = name;
  return PowerCall::Ok();
}

PowerCall ProgramPlans::WriteDescription(const PlanGuid& plan, const std::string& description) {
  HeldPlan* held = Held(plan);
  if (!held) return daemon_->WriteDescription(plan, description);
  held->description = description;
  return PowerCall::Ok();
}

PowerCall ProgramPlans::SetActivePlan(const PlanGuid& plan) {
  if (HeldPlan* held = Held(plan)) {
    if (!activeHeld_) {
      const auto level = panel_.LevelNow();
      if (!level.failed) levelBefore_ = level.value;
    }
    activeHeld_ = plan;
    const auto& levels = held->values[KeyOf(DisplayBrightnessSetting())];
    const auto percent = [&levels](PlanValue which) {
      return static_cast<uint8_t>(std::min<uint32_t>(levels[static_cast<size_t>(which)], 100));
    };
    // As with the system's own plans, the brightness never stops an activation.
    panel_.SetLevels({percent(PlanValue::kAc), percent(PlanValue::kDc)});
    return PowerCall::Ok();
  }
  const PowerCall switched = daemon_->SetActivePlan(plan);
  if (switched.failed) return switched;
  activeHeld_.reset();
  if (levelBefore_) {
    panel_.SetLevels({*levelBefore_, *levelBefore_});
    levelBefore_.reset();
  }
  return switched;
}

PowerCall ProgramPlans::DeletePlan(const PlanGuid& plan) {
  if (!Held(plan)) return daemon_->DeletePlan(plan);
  if (activeHeld_ == plan) return PowerCall::Error(platform::kPowerErrorAccessDenied);
  std::erase_if(held_, [&plan](const HeldPlan& h) { return h.guid == plan; });
  return PowerCall::Ok();
}

PowerAnswer<std::string> ProgramPlans::SubgroupName(const PlanGuid& subgroup) {
  if (HasBacklight() && subgroup == DisplayBrightnessSetting().subgroup) {
    return PowerAnswer<std::string>::Of("Display");
  }
  return daemon_->SubgroupName(subgroup);
}

PowerAnswer<platform::PlanSettingInfo> ProgramPlans::DescribeSetting(const PlanSettingId& setting) {
  if (!HasBacklight() || !IsBrightness(setting)) return daemon_->DescribeSetting(setting);
  platform::PlanSettingInfo info;
  info.name = "Display brightness";
  info.unit = "%";
  info.maximum = 100;
  return PowerAnswer<platform::PlanSettingInfo>::Of(std::move(info));
}

}  // namespace pacetta::linux_os
