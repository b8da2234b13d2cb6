#include <gtest/gtest.h>

#include "platform/plan_guid.h"
#include "power/plan_settings.h"
#include "tests/os_power/os_power_rig.h"

namespace pacetta::testing {
namespace {

using power::kPowerOk;

const sim::SimPlan* PlanOf(const sim::SimOsPowerState& state, const platform::PlanGuid& guid) {
  for (const auto& plan : state.plans) {
    if (plan.guid == guid) return &plan;
  }
  return nullptr;
}

std::string KeyOf(size_t setting) {
  const auto& id = power::PlanSettings()[setting];
  return platform::FormatPlanGuid(id.subgroup) + "/" + platform::FormatPlanGuid(id.setting);
}

constexpr size_t kDisplayOff = 21;

TEST(PowerPlans, TheProgramsPlanIsACopyOfHighPerformanceWithTheProfilesSettingsUntilExit) {
  TempFolder folder;
  auto pc = MachineIn(kPlansMachine, folder.Path());
  sim::SimOsPower& system = pc->OsPowerPolicy();
  const platform::PlanGuid balanced = system.Truth().activePlan;
  auto policy = PolicyOf(*pc);
  ASSERT_EQ(policy.Generation(), power::PowerGeneration::kPlans);
  ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);
  EXPECT_EQ(policy.SchemeCount(), 3);
  EXPECT_EQ(policy.Scheme(policy.SchemeIndexOf(power::HighPerformancePlan()))->name,
            "High performance");
  const platform::PlanGuid own = policy.OwnSchemeId();
  const sim::SimOsPowerState started = system.Truth();
  const sim::SimPlan* created = PlanOf(started, own);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->name, power::kOwnSchemeName);
  EXPECT_EQ(created->description, power::kOwnSchemeDescription);

  // The profile carries the start plan's table, with the display turned off sooner.
  Profile profile = FreshProfile("Desk", 6);
  profile.osLink.fill(0xFF);
  policy.CaptureProfileValues(profile);
  profile.osPolicy[kDisplayOff * 16] = 60;  // AC value, low byte
  profile.osPolicy[kDisplayOff * 16 + 1] = 0;
  ASSERT_EQ(policy.ActivateProfile(profile), kPowerOk);

  const sim::SimOsPowerState truth = system.Truth();
  EXPECT_EQ(truth.activePlan, own);
  const sim::SimPlan* active = PlanOf(truth, own);
  EXPECT_EQ(active->values.at(KeyOf(kDisplayOff))[0], 60u);
  EXPECT_EQ(active->values.at(KeyOf(kDisplayOff))[1], 300u);  // Balanced's, on battery
  // The start plan lets the processor down to 5 %; the program's plan never does.
  for (size_t setting : {power::kProcessorMinimumSetting, power::kProcessorMaximumSetting}) {
    EXPECT_EQ(active->values.at(KeyOf(setting)), (sim::SimPlanValues{100, 100, 100, 100}));
  }

  ASSERT_EQ(policy.RestoreAtExit(true), kPowerOk);
  EXPECT_EQ(system.Truth().activePlan, balanced);
  EXPECT_EQ(PlanOf(system.Truth(), own), nullptr);
}

TEST(PowerPlans, APlanLeftByAKilledRunIsTakenOverNotDuplicated) {
  TempFolder folder;
  platform::PlanGuid first{};
  {
    auto pc = MachineIn(kPlansMachine, folder.Path());
    auto policy = PolicyOf(*pc);
    ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);
    first = policy.OwnSchemeId();
  }
  auto pc = MachineIn(kPlansMachine, folder.Path());
  auto policy = PolicyOf(*pc);
  ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);
  EXPECT_EQ(policy.OwnSchemeId(), first);
  EXPECT_EQ(CountNamed(pc->OsPowerPolicy().Truth(), power::kOwnSchemeName), 1);
}

TEST(OsPowerErrors, AFailureOfTheSimulatedSystemNeverReachesTheCallerAsSuccess) {
  struct Case {
    const char* machine;
    const char* faults;
    uint32_t expected;
  };
  const Case cases[] = {
      {kLegacyMachine, "fail-power=legacy.set-active:0", 0x80004005},
      {kLegacyMachine, "fail-power=legacy.write-processor", 0x80070005},
      {kPlansMachine, "fail-power=plans.set-active:0", 0x80004005},
      {kPlansMachine, "fail-power=plans.write:87", 0x80070057},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    auto pc = MachineIn(c.machine, folder.Path(), c.faults);
    auto policy = PolicyOf(*pc);
    ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk) << c.faults;
    Profile profile = FreshProfile("Any", pc->View().system.Version().major);
    if (policy.Generation() == power::PowerGeneration::kLegacy) {
      profile.osLink[4] =
          power::kUseOsScheme | power::kDisableOsProcessorPolicy;  // own scheme (-1)
    } else {
      profile.osLink.fill(0xFF);
    }
    policy.CaptureProfileValues(profile);
    EXPECT_EQ(static_cast<uint32_t>(policy.ActivateProfile(profile)), c.expected) << c.faults;
  }
}

}  // namespace
}  // namespace pacetta::testing
