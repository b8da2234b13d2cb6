#include <gtest/gtest.h>

#include "platform/legacy_power_policy.h"
#include "power/legacy_values.h"
#include "tests/os_power/os_power_rig.h"

namespace pacetta::testing {
namespace {

using power::kPowerOk;

std::array<uint8_t, kOsLinkSize> LegacyLink(int32_t index, uint32_t flags) {
  std::array<uint8_t, kOsLinkSize> link{};
  const uint32_t words[2] = {static_cast<uint32_t>(index), flags};
  for (size_t w = 0; w < 2; ++w) {
    for (size_t b = 0; b < 4; ++b) link[w * 4 + b] = static_cast<uint8_t>(words[w] >> (8 * b));
  }
  return link;
}

const sim::SimScheme* SchemeNamed(const sim::SimOsPowerState& state, const std::string& name,
                                  const std::string& description) {
  for (const auto& scheme : state.schemes) {
    if (scheme.name == name && scheme.description == description) return &scheme;
  }
  return nullptr;
}

TEST(LegacySchemes, AProfileOnTheProgramsSchemeSetsItsTimeOutsPanelAndProcessorPolicyUntilExit) {
  TempFolder folder;
  auto pc = MachineIn(kLegacyMachine, folder.Path());
  sim::SimOsPower& system = pc->OsPowerPolicy();
  auto policy = PolicyOf(*pc);
  ASSERT_EQ(policy.Generation(), power::PowerGeneration::kLegacy);
  ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);

  // The system's six schemes are listed; the program's own comes after the highest.
  EXPECT_EQ(policy.SchemeCount(), 6);
  EXPECT_EQ(policy.Scheme(1)->name, "Portable/Laptop");
  const sim::SimOsPowerState started = system.Truth();
  const auto* own = SchemeNamed(started, power::kOwnSchemeName, power::kOwnSchemeDescription);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->index, 6u);
  EXPECT_EQ(policy.SchemeIndexOf(policy.OwnSchemeId()), -1);
  // It keeps the start scheme's monitor time-outs but never lets the system throttle.
  const platform::PowerPolicy written = platform::Unpack(own->policy);
  EXPECT_EQ(written.videoTimeoutAc, 1200u);
  EXPECT_EQ(written.videoTimeoutDc, 300u);
  EXPECT_EQ(written.throttlePolicyAc, 0u);
  EXPECT_EQ(written.forcedThrottleDc, 100u);

  // Standby 600 s then hibernation at 1800 s on AC; hibernation alone at 900 s on battery.
  Profile profile = FreshProfile("Road", 5);
  profile.osLink = LegacyLink(
      -1, power::kUseOsScheme | power::kDisableOsProcessorPolicy | power::kManagePanelBrightness);
  power::LegacyCustomValues values;
  values.monitor = {300, 60};
  values.disks = {600, 120};
  values.standby = {600, 0};
  values.hibernate = {1800, 900};
  values.lcd = {80, 40};
  power::WriteCustomValues(values, profile.osPolicy);
  ASSERT_EQ(policy.ActivateProfile(profile), kPowerOk);

  sim::SimOsPowerState truth = system.Truth();
  EXPECT_EQ(truth.activeScheme, 6u);
  const platform::PowerPolicy active = platform::Unpack(
      SchemeNamed(truth, power::kOwnSchemeName, power::kOwnSchemeDescription)->policy);
  EXPECT_EQ(active.idleAc.action, platform::kPowerActionSleep);
  EXPECT_EQ(active.idleTimeoutAc, 600u);
  EXPECT_EQ(active.dozeS4TimeoutAc, 1200u);
  EXPECT_EQ(active.idleDc.action, platform::kPowerActionHibernate);
  EXPECT_EQ(active.idleTimeoutDc, 900u);
  EXPECT_EQ(active.videoTimeoutDc, 60u);
  EXPECT_EQ(active.spindownTimeoutAc, 600u);
  EXPECT_EQ(platform::Unpack(truth.schemes[6].processor), power::NoThrottlingProcessorPolicy());
  EXPECT_EQ(truth.panel, (platform::PanelLevels{80, 40}));

  // Read back from the program's policy, the values are the profile's.
  Profile captured = FreshProfile("Back", 5);
  policy.CaptureProfileValues(captured);
  EXPECT_EQ(power::ReadCustomValues(captured.osPolicy), values);

  ASSERT_EQ(policy.RestoreAtExit(true), kPowerOk);
  truth = system.Truth();
  EXPECT_EQ(truth.activeScheme, 0u);
  EXPECT_EQ(CountNamed(truth, power::kOwnSchemeName), 0);
}

TEST(LegacySchemes, OnlyBothTextsMakeASchemeTheProgramsAndOneLeftByAKilledRunIsTakenOver) {
  TempFolder folder;
  {
    auto pc = MachineIn(kLegacyMachine, folder.Path());
    // Another scheme that happens to carry the program's name.
    ASSERT_FALSE(
        pc->View().osPower->Legacy()->Write(9, power::kOwnSchemeName, "Someone else's", {}).failed);
    auto policy = PolicyOf(*pc);
    ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);
    EXPECT_EQ(policy.SchemeCount(), 7);
    EXPECT_EQ(policy.SchemeIndexOf({9}), 6);
    EXPECT_EQ(policy.OwnSchemeId(), power::SchemeId{10});
    // Killed here: nothing restores the start scheme or deletes the program's.
  }
  auto pc = MachineIn(kLegacyMachine, folder.Path());
  auto policy = PolicyOf(*pc);
  ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);
  EXPECT_EQ(policy.OwnSchemeId(), power::SchemeId{10});
  EXPECT_EQ(policy.SchemeCount(), 7);
  EXPECT_EQ(CountNamed(pc->OsPowerPolicy().Truth(), power::kOwnSchemeName), 2);
  ASSERT_EQ(policy.RestoreAtExit(true), kPowerOk);
  EXPECT_EQ(CountNamed(pc->OsPowerPolicy().Truth(), power::kOwnSchemeName), 1);
}

TEST(LegacySchemes, WithoutManagementTheListIsBuiltButNoSchemeIsCreatedActivatedOrDeleted) {
  TempFolder folder;
  auto pc = MachineIn(kLegacyMachine, folder.Path());
  const sim::SimOsPowerState before = pc->OsPowerPolicy().Truth();
  auto policy = PolicyOf(*pc);
  ASSERT_EQ(policy.EnumerateSchemes(false), kPowerOk);
  EXPECT_EQ(policy.SchemeCount(), 6);
  EXPECT_FALSE(policy.HasOwnScheme());
  EXPECT_EQ(policy.RestoreAtExit(false), kPowerOk);
  const sim::SimOsPowerState after = pc->OsPowerPolicy().Truth();
  EXPECT_EQ(after.schemes.size(), before.schemes.size());
  EXPECT_EQ(after.activeScheme, before.activeScheme);
}

TEST(LegacySchemes, StandbyAndHibernationShareTheIdleActionBothWays) {
  struct Case {
    uint32_t standby, hibernate;
    uint32_t action, idleTimeout, s4Timeout;
  };
  const Case cases[] = {
      {600, 1800, platform::kPowerActionSleep, 600, 1200},
      {0, 900, platform::kPowerActionHibernate, 900, 0},
      {600, 0, platform::kPowerActionSleep, 600, 0},
  };
  for (const Case& c : cases) {
    power::LegacyCustomValues values;
    values.standby = {c.standby, c.standby};
    values.hibernate = {c.hibernate, c.hibernate};
    platform::PowerPolicy policy = power::DefaultSchemePolicy();
    platform::PanelLevels lcd;
    power::ApplyCustomValues(values, policy, lcd);
    EXPECT_EQ(policy.idleAc.action, c.action) << c.standby << "/" << c.hibernate;
    EXPECT_EQ(policy.idleTimeoutAc, c.idleTimeout);
    EXPECT_EQ(policy.dozeS4TimeoutAc, c.s4Timeout);
    // Through the system's binary block and back.
    const auto back = power::CaptureCustomValues(platform::Unpack(platform::Pack(policy)), lcd);
    EXPECT_EQ(back.standby, values.standby);
    EXPECT_EQ(back.hibernate, values.hibernate);
  }
}

}  // namespace
}  // namespace pacetta::testing
