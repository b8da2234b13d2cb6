#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/backlight_panel.h"
#include "platform/linux/power_profiles.h"
#include "platform/os_power.h"

namespace pacetta::linux_os {

// The display subgroup's brightness setting, in percent: the one setting of a plan that
// Linux carries out.
platform::PlanSettingId DisplayBrightnessSetting();

// The daemon's profiles as plans, and beside them the plans the program makes for itself.
// The daemon cannot keep a plan of the program's, so they are kept here for the run: a
// copy takes every value written to it, and of those the display brightness is carried
// out. While such a plan is active the backlight shows its level for the power source in
// use, and the daemon's profile stays as it was; activating one of the daemon's profiles
// after it puts back the level the backlight had before. Without a backlight such a plan
// could do nothing, and none is made.
class ProgramPlans final : public platform::PowerPlans {
 public:
  ProgramPlans(std::unique_ptr<PowerProfilePlans> daemon, BacklightPanel& panel);

  // The daemon's profiles first, then the program's plans.
  platform::PowerAnswer<platform::PlanGuid> EnumeratePlan(uint32_t index) override;
  platform::PowerAnswer<std::string> FriendlyName(const platform::PlanGuid& plan) override;
  platform::PowerAnswer<std::string> Description(const platform::PlanGuid& plan) override;
  platform::PowerAnswer<platform::PlanGuid> ActivePlan() override;
  // A daemon's profile reads the backlight's level now as its display brightness.
  platform::PowerAnswer<uint32_t> ReadValue(const platform::PlanGuid& plan,
                                            const platform::PlanSettingId& setting,
                                            platform::PlanValue which) override;
  platform::PowerCall WriteValue(const platform::PlanGuid& plan,
                                 const platform::PlanSettingId& setting, platform::PlanValue which,
                                 uint32_t value) override;
  // Any source may be copied: a program's plan with its values, anything else (the
  // daemon's profiles have no values) with the backlight's level now.
  platform::PowerAnswer<platform::PlanGuid> Duplicate(const platform::PlanGuid& source) override;
  platform::PowerCall WriteFriendlyName(const platform::PlanGuid& plan,
                                        const std::string& name) override;
  platform::PowerCall WriteDescription(const platform::PlanGuid& plan,
                                       const std::string& description) override;
  platform::PowerCall SetActivePlan(const platform::PlanGuid& plan) override;
  // The active plan cannot go.
  platform::PowerCall DeletePlan(const platform::PlanGuid& plan) override;
  // Linux describes the display brightness alone.
  platform::PowerAnswer<std::string> SubgroupName(const platform::PlanGuid& subgroup) override;
  platform::PowerAnswer<platform::PlanSettingInfo> DescribeSetting(
      const platform::PlanSettingId& setting) override;

 private:
  struct HeldPlan {
    platform::PlanGuid guid{};
    std::string name;
    std::string description;
    std::map<std::pair<platform::PlanGuid, platform::PlanGuid>, std::array<uint32_t, 4>> values;
  };
  HeldPlan* Held(const platform::PlanGuid& plan);
  bool HasBacklight() const { return panel_.Device().has_value(); }

  std::unique_ptr<PowerProfilePlans> daemon_;
  BacklightPanel& panel_;
  std::vector<HeldPlan> held_;
  uint32_t made_ = 0;
  std::optional<platform::PlanGuid> activeHeld_;
  // The backlight's level before a plan of the program's took it over.
  std::optional<uint8_t> levelBefore_;
};

}  // namespace pacetta::linux_os
