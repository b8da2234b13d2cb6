#include <gtest/gtest.h>

#include "tests/os_power/os_power_rig.h"

namespace pacetta::testing {
namespace {

using power::kPowerOk;

// A legacy link to the program's scheme with the panel managed.
std::array<uint8_t, kOsLinkSize> OwnSchemeWithPanel() {
  std::array<uint8_t, kOsLinkSize> link{};
  std::fill_n(link.begin(), 4, 0xFF);
  link[4] = power::kUseOsScheme | power::kManagePanelBrightness;
  return link;
}

TEST(Panel, BrightnessFollowsTheProfileWhereAPanelTakesItAndNeverStopsTheActivation) {
  struct Case {
    const char* machine;
    const char* faults;
    size_t levels;  // the panel lists
    platform::PanelLevels after;
  };
  const Case cases[] = {
      {kLegacyMachine, "", 9, {90, 30}},
      // A level the panel does not list is refused; the scheme is active all the same.
      {kLegacyMachine, "fail-power=panel.set:87", 9, {100, 60}},
      // A desktop has no panel at all.
      {"pentium4-ht", "", 0, {100, 60}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + " " + c.faults);
    TempFolder folder;
    auto pc = MachineIn(c.machine, folder.Path(), c.faults);
    auto policy = PolicyOf(*pc);
    ASSERT_EQ(policy.EnumerateSchemes(true), kPowerOk);
    EXPECT_EQ(policy.LcdLevels().size(), c.levels);
    uint8_t level = 0;
    EXPECT_EQ(policy.LcdLevelAt(c.levels, level), power::kPowerInvalidArgument);
    EXPECT_EQ(policy.LcdLevelIndex(90), c.levels ? 7 : -1);
    EXPECT_EQ(policy.LcdLevelIndex(95), -1);

    Profile profile = FreshProfile("Dim", 5);
    profile.osLink = OwnSchemeWithPanel();
    policy.CaptureProfileValues(profile);
    profile.osPolicy[64] = 90;  // AC level
    profile.osPolicy[68] = 30;  // battery level
    EXPECT_EQ(policy.ActivateProfile(profile), kPowerOk);
    const sim::SimOsPowerState truth = pc->OsPowerPolicy().Truth();
    EXPECT_EQ(truth.panel, c.after);
    EXPECT_EQ(truth.activeScheme, 6u);
  }
}

}  // namespace
}  // namespace pacetta::testing
