#include "platform/linux/backlight_panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/profiles/profile.h"
#include "platform/linux/linux_os_power.h"
#include "power/os_power_policy.h"
#include "tests/platform_linux/fake_logind.h"
#include "tests/platform_linux/fake_power_services.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using platform::PanelLevels;
using testing::FakeLoginSession;
using testing::FakeProfilesDaemon;
using testing::PrivateSystemBus;

// The kernel's backlight and power-supply classes under a folder of the test's.
class FakeSysfs {
 public:
  void AddBacklight(const std::string& name, const std::string& type, uint64_t max, uint64_t now) {
    const std::string folder = "sys/class/backlight/" + name + "/";
    Write(folder + "type", type);
    Write(folder + "max_brightness", std::to_string(max));
    Write(folder + "brightness", std::to_string(now));
    Write(folder + "actual_brightness", std::to_string(now));
  }
  void OnAc(bool online) {
    Write("sys/class/power_supply/AC/type", "Mains");
    Write("sys/class/power_supply/AC/online", online ? "1" : "0");
  }
  std::string Read(const std::string& relative) {
    std::string value;
    std::ifstream(root_.File(relative)) >> value;
    return value;
  }
  const std::string& Root() const { return root_.Path(); }

 private:
  void Write(const std::string& relative, const std::string& value) {
    const std::filesystem::path path = root_.File(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << value << "\n";
  }
  testing::TempFolder root_;
};

TEST(BacklightPanel, LevelsArePercentStepsTheDeviceCanShow) {
  EXPECT_EQ(PercentSteps(7), (std::vector<uint8_t>{14, 29, 43, 57, 71, 86, 100}));
  const auto fine = PercentSteps(120000);
  ASSERT_EQ(fine.size(), 101u);
  EXPECT_EQ(fine.front(), 0);
  EXPECT_EQ(fine.back(), 100);
  struct Case {
    uint64_t max;
    uint8_t percent;
    uint64_t raw;
  };
  // Percent to raw and back; 0 % keeps the panel lit at its lowest raw value.
  const Case cases[] = {{7, 100, 7},          {7, 57, 4},     {7, 0, 1},
                        {7, 50, 4},           {120000, 0, 1}, {120000, 37, 44400},
                        {120000, 100, 120000}};
  for (const Case& c : cases) {
    EXPECT_EQ(RawOfPercent(c.percent, c.max), c.raw) << c.max << " " << int{c.percent};
  }
  for (const uint64_t max : {7u, 120000u}) {
    for (const uint8_t step : PercentSteps(max)) {
      EXPECT_EQ(PercentOfRaw(RawOfPercent(step, max), max), step) << max;
    }
  }
}

TEST(BacklightPanel, TheFirmwareDeviceIsChosenBeforePlatformAndRaw) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> devices;  // name, type
    std::string chosen;
  };
  const Case cases[] = {
      {{{"acpi_video0", "firmware"}, {"dell_backlight", "platform"}, {"intel_backlight", "raw"}},
       "acpi_video0"},
      {{{"amdgpu_bl0", "raw"}, {"thinkpad_screen", "platform"}}, "thinkpad_screen"},
      {{{"intel_backlight", "raw"}, {"acpi_video1", "raw"}}, "acpi_video1"},
  };
  for (const Case& c : cases) {
    FakeSysfs sysfs;
    for (const auto& [name, type] : c.devices) sysfs.AddBacklight(name, type, 100, 50);
    const auto chosen = ChooseBacklight(SysfsRoot(sysfs.Root()));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->name, c.chosen);
  }
  // A firmware device without a maximum cannot be driven.
  FakeSysfs broken;
  broken.AddBacklight("acpi_video0", "firmware", 0, 0);
  broken.AddBacklight("intel_backlight", "raw", 937, 400);
  EXPECT_EQ(ChooseBacklight(SysfsRoot(broken.Root()))->name, "intel_backlight");
}

TEST(BacklightPanel, TheLevelOfThePowerSourceInUseIsWrittenThroughTheSession) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeSysfs sysfs;
  sysfs.AddBacklight("intel_backlight", "raw", 120000, 60000);
  FakeLoginSession session(sysfs.Root());
  ASSERT_TRUE(session.Running());
  BacklightPanel panel{SysfsRoot(sysfs.Root())};
  EXPECT_EQ(panel.Levels().value, (PanelLevels{50, 50}));

  sysfs.OnAc(true);
  ASSERT_FALSE(panel.SetLevels({80, 30}).failed);
  EXPECT_EQ(sysfs.Read("sys/class/backlight/intel_backlight/brightness"), "96000");
  EXPECT_EQ(panel.Levels().value, (PanelLevels{80, 30}));

  sysfs.OnAc(false);
  ASSERT_FALSE(panel.SetLevels({90, 25}).failed);
  EXPECT_EQ(sysfs.Read("sys/class/backlight/intel_backlight/brightness"), "30000");
  EXPECT_EQ(panel.Levels().value, (PanelLevels{90, 25}));

  const auto requests = session.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].subsystem, "backlight");
  EXPECT_EQ(requests[0].name, "intel_backlight");
}

TEST(BacklightPanel, ARefusedWriteFailsAndChangesNothing) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeSysfs sysfs;
  sysfs.AddBacklight("acpi_video0", "firmware", 7, 4);
  FakeLoginSession session(sysfs.Root(), /*refuse=*/true);
  ASSERT_TRUE(session.Running());
  BacklightPanel panel{SysfsRoot(sysfs.Root())};
  const auto refused = panel.SetLevels({100, 14});
  EXPECT_TRUE(refused.failed);
  EXPECT_EQ(refused.systemError, platform::kPowerErrorAccessDenied);
  EXPECT_EQ(session.Requests().size(), 1u);
  EXPECT_EQ(sysfs.Read("sys/class/backlight/acpi_video0/brightness"), "4");
  EXPECT_EQ(panel.Levels().value, (PanelLevels{57, 57}));
}

TEST(BacklightPanel, WithoutABacklightEveryCallFails) {
  FakeSysfs sysfs;
  sysfs.OnAc(true);
  BacklightPanel panel{SysfsRoot(sysfs.Root())};
  EXPECT_TRUE(panel.SupportedLevels().failed);
  EXPECT_TRUE(panel.Levels().failed);
  EXPECT_TRUE(panel.SetLevels({50, 50}).failed);
}

// The daemon cannot keep a plan of the program's, so the program's plan is kept for the
// run: while it is active the backlight shows the plan's brightness for the power source
// in use and the daemon's profile stays; a daemon's profile, and the exit, put the level
// back that the backlight had before.
TEST(BacklightPanel, TheProgramsPlanCarriesItsBrightnessAndTheLevelBeforeReturnsAfterIt) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeProfilesDaemon daemon(kUpowerProfiles,
                            {{"balanced", "platform_profile"}, {"performance", "intel_pstate"}},
                            "balanced");
  FakeSysfs sysfs;
  sysfs.AddBacklight("acpi_video0", "firmware", 100, 70);
  sysfs.OnAc(true);
  FakeLoginSession session(sysfs.Root());
  ASSERT_TRUE(daemon.Running() && session.Running());
  const auto level = [&sysfs] { return sysfs.Read("sys/class/backlight/acpi_video0/brightness"); };
  LinuxOsPower os{SysfsRoot(sysfs.Root())};
  power::OsPowerPolicy policy(&os, 6);

  policy.EnumerateSchemes(true);
  ASSERT_TRUE(policy.HasOwnScheme());
  EXPECT_EQ(policy.SchemeCount(), 2) << "the program's plan is not one to choose";
  constexpr size_t kBrightness = 23;
  ASSERT_EQ(power::PlanSettings()[kBrightness], DisplayBrightnessSetting());
  EXPECT_EQ(policy.PlanValues()[kBrightness], (std::array<uint32_t, 4>{70, 70, 70, 70}));
  const auto described = policy.DescribePlanSettings();
  EXPECT_EQ(described[kBrightness].info.name, "Display brightness");
  EXPECT_TRUE(described[0].info.name.empty()) << "no disk time-out on Linux";

  Profile dim;
  dim.osLink.fill(0xFF);  // the program's plan
  policy.CaptureProfileValues(dim);
  power::PlanSettingValues table = policy.PlanValues();
  table[kBrightness] = {40, 20, 40, 20};
  power::PackPlanSettings(table, std::span<uint8_t, power::kPlanSettingsSize>(dim.osPolicy));
  Profile fast;
  fast.osLink = ProfilePlanGuid("performance");

  EXPECT_EQ(policy.ActivateProfile(dim), power::kPowerOk);
  EXPECT_EQ(level(), "40");
  EXPECT_EQ(daemon.Active(), "balanced");
  EXPECT_TRUE(os.Plans()->DeletePlan(policy.OwnSchemeId()).failed) << "the active plan stays";
  sysfs.OnAc(false);
  EXPECT_EQ(policy.ActivateProfile(dim), power::kPowerOk);
  EXPECT_EQ(level(), "20");

  EXPECT_EQ(policy.ActivateProfile(fast), power::kPowerOk);
  EXPECT_EQ(daemon.Active(), "performance");
  EXPECT_EQ(level(), "70");

  EXPECT_EQ(policy.ActivateProfile(dim), power::kPowerOk);
  EXPECT_EQ(level(), "20");
  EXPECT_EQ(policy.RestoreAtExit(true), power::kPowerOk);
  EXPECT_EQ(daemon.Active(), "balanced");
  EXPECT_EQ(level(), "70");
  EXPECT_FALSE(policy.HasOwnScheme());
}

}  // namespace
}  // namespace pacetta::linux_os
