#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "app/desktop/profile_os.h"
#include "app/startup/startup.h"
#include "engine/profiles/profile_records.h"
#include "power/legacy_values.h"
#include "tests/app/program_rig.h"
#include "tests/os_power/os_power_rig.h"

namespace pacetta::testing {
namespace {

TEST(RunningProgramOsPower, TheProgramsSchemeLivesFromStartToAnOrderlyExitOnlyWhenManaged) {
  struct Case {
    const char* machine;
    uint32_t manage;
  };
  const Case cases[] = {
      {kLegacyMachine, 1},
      {kLegacyMachine, 0},
      {kPlansMachine, 1},
      {kPlansMachine, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + (c.manage ? " managed" : " unmanaged"));
    ProgramRig rig(c.machine);
    rig.Store("ManageOsPowerSettings", c.manage);
    sim::SimOsPower& system = rig.Pc().OsPowerPolicy();
    const sim::SimOsPowerState before = system.Truth();
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(CountNamed(system.Truth(), power::kOwnSchemeName), c.manage ? 1 : 0);
    ASSERT_TRUE(rig.Close());

    const sim::SimOsPowerState after = system.Truth();
    EXPECT_EQ(CountNamed(after, power::kOwnSchemeName), 0);
    EXPECT_EQ(after.activeScheme, before.activeScheme);
    EXPECT_EQ(after.activePlan, before.activePlan);
    // The profiles carry the program's OS values from the first managed start on.
    auto key = rig.Pc().View().registry.OpenUserKey(kSettingsKeyPath, false);
    ASSERT_TRUE(key);
    const auto ext = key->ReadBinary("ProfileExtData");
    ASSERT_TRUE(ext && ext->size() >= kOsLinkSize + 4);
    const bool captured =
        !((*ext)[16] == 0xFF && (*ext)[17] == 0xFF && (*ext)[18] == 0xFF && (*ext)[19] == 0xFF);
    EXPECT_EQ(captured, c.manage != 0);
  }
}

TEST(RunningProgramOsPower, AProfileOnTheProgramsSchemeActivatesItWhenItBecomesCurrent) {
  for (const char* machine : {kLegacyMachine, kPlansMachine}) {
    SCOPED_TRACE(machine);
    ProgramRig rig(machine);
    const uint32_t major = rig.Pc().View().system.Version().major;
    // A previous run stored four profiles; "No management", used on AC power, names the
    // program's scheme.
    rig.Store("ProfileAC", kNoManagementProfile);
    rig.StampProcessor();
    std::vector<uint8_t> records, extensions;
    for (int32_t i = 0; i < kFixedProfileCount; ++i) {
      Profile profile = FreshProfile("P" + std::to_string(i), major);
      if (i == kNoManagementProfile) {
        if (major < 6) {
          profile.osLink.fill(0);
          std::fill_n(profile.osLink.begin(), 4, 0xFF);
          profile.osLink[4] = power::kUseOsScheme;
        } else {
          profile.osLink.fill(0xFF);
        }
      }
      PackProfileRecord(profile, records);
      PackProfileExtRecord(profile, extensions);
    }
    rig.StoreBytes("ProfileData", records);
    rig.StoreBytes("ProfileExtData", extensions);

    sim::SimOsPower& system = rig.Pc().OsPowerPolicy();
    const sim::SimOsPowerState before = system.Truth();
    ASSERT_TRUE(rig.Start());
    const sim::SimOsPowerState running = system.Truth();
    const power::SchemeId own = rig.App().OsPower().OwnSchemeId();
    if (major < 6) {
      EXPECT_EQ(running.activeScheme, own[0]);
      EXPECT_NE(running.activeScheme, before.activeScheme);
    } else {
      EXPECT_EQ(running.activePlan, own);
    }
    ASSERT_TRUE(rig.Close());
    EXPECT_EQ(system.Truth().activeScheme, before.activeScheme);
    EXPECT_EQ(system.Truth().activePlan, before.activePlan);
  }
}

// Unplugged, the laptop takes the battery's profile and with it that profile's scheme and
// panel levels; plugged in again, the AC profile's scheme returns. The exit restores the
// scheme the system had.
TEST(RunningProgramOsPower, UnpluggingSwitchesTheSchemeAndTheBrightnessWithTheProfile) {
  using namespace std::chrono_literals;
  ProgramRig rig(kLegacyMachine);
  rig.Store("ProfileAC", kMaximalPerformanceProfile);
  rig.Store("ProfileDC", kPowerSavingProfile);
  rig.StampProcessor();
  constexpr uint32_t kAcScheme = 2;
  std::vector<uint8_t> records, extensions;
  for (int32_t i = 0; i < kFixedProfileCount; ++i) {
    Profile profile = FreshProfile("P" + std::to_string(i), 5);
    if (i == kMaximalPerformanceProfile) {
      WriteLegacyLink({static_cast<int32_t>(kAcScheme), power::kUseOsScheme}, profile.osLink);
    }
    if (i == kPowerSavingProfile) {
      WriteLegacyLink({-1, power::kUseOsScheme | power::kManagePanelBrightness}, profile.osLink);
      power::LegacyCustomValues values;
      values.monitor = {600, 120};
      values.lcd = {90, 30};
      power::WriteCustomValues(values, profile.osPolicy);
    }
    PackProfileRecord(profile, records);
    PackProfileExtRecord(profile, extensions);
  }
  rig.StoreBytes("ProfileData", records);
  rig.StoreBytes("ProfileExtData", extensions);

  sim::SimOsPower& system = rig.Pc().OsPowerPolicy();
  const sim::SimOsPowerState before = system.Truth();
  ASSERT_NE(before.activeScheme, kAcScheme);
  ASSERT_TRUE(rig.Start());
  EXPECT_EQ(system.Truth().activeScheme, kAcScheme);
  const auto serveWhile = [&rig](const std::function<bool()>& change) {
    auto done = std::async(std::launch::async,
                           [&] { return change() && rig.Pc().PowerSupply().WaitDelivered(30s); });
    while (done.wait_for(5ms) != std::future_status::ready) rig.Window().ProcessPending();
    rig.Window().ProcessPending();
    return done.get();
  };

  ASSERT_TRUE(serveWhile([&] { return rig.Pc().UnplugAc(); }));
  EXPECT_EQ(rig.Program().CurrentProfile(), kPowerSavingProfile);
  const uint32_t own = rig.App().OsPower().OwnSchemeId()[0];
  EXPECT_EQ(system.Truth().activeScheme, own);
  EXPECT_EQ(system.Truth().panel, (platform::PanelLevels{90, 30}));

  ASSERT_TRUE(serveWhile([&] { return rig.Pc().PlugAc(); }));
  EXPECT_EQ(system.Truth().activeScheme, kAcScheme);
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(system.Truth().activeScheme, before.activeScheme);
}

}  // namespace
}  // namespace pacetta::testing
