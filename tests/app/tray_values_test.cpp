#include "app/desktop/tray_values.h"

#include <gtest/gtest.h>

#include "app/desktop/main_icon_clicks.h"
#include "app/desktop/pstate_steps.h"
#include "cpu/pstate/kernel_policy.h"
#include "testing/identified_machine.h"

namespace pacetta {
namespace {

TEST(TrayMainIcon, TheLevelIsRoundedClampedAndZeroForAListOfOneSpeed) {
  struct Case {
    double lo, hi, cur;
    int32_t level;
  } cases[] = {{4, 10, 4, 0}, {4, 10, 10, 16}, {4, 10, 7, 8}, {4, 10, 4.2, 1}, {4, 10, 4.18, 0},
               {4, 10, 3, 0}, {4, 10, 12, 16}, {9, 9, 9, 0},  {9, 9, 12, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(PerformanceLevel(c.lo, c.hi, c.cur), c.level) << c.lo << " " << c.hi << " " << c.cur;
  }
}

TEST(TrayMainIcon, ThePictureFollowsTheProfileOrTheLevelOfTheProfilesList) {
  testing::IdentifiedMachine machine("k8-x2-laptop", "");
  const CpuInfo& cpu = machine.Records().front();
  const PStateTable table = BuildTableFromProcessor(cpu);
  ASSERT_GE(table.Count(), 3);
  ProfileHalf all;
  all.useFidVid = 1;
  for (int32_t row = 0; row < table.Count(); ++row) all.states[size_t(row)] = row;
  all.lastState = table.lastIndex;
  const auto speed = [&](int32_t row) {
    return static_cast<float>(RowSpeed(cpu, *table.Row(row)));
  };
  const float slowest = speed(0), fastest = speed(table.lastIndex);
  ProfileHalf one = all;
  one.lastState = 0;
  const ProfileHalf empty;

  struct Case {
    int32_t profile;
    const ProfileHalf* half;
    float multiplier;
    bool showLevel;
    int32_t image, level;
  } cases[] = {
      {0, &all, fastest, true, 201, -1},  // below "Performance on demand": its own picture
      {1, &all, fastest, true, 202, -1},
      {2, &all, fastest, true, 203, -1},
      {3, &all, fastest, false, 204, -1},
      {5, &all, fastest, false, 204, -1},  // every custom profile
      {3, &all, slowest, true, 200, 0},    // level 0: the program's picture
      {3, &all, fastest, true, 204, 16},   // level 16: the profile's picture
      {4, &all, (slowest + fastest) / 2, true, 205 + 8 - 1, 8},
      {3, &empty, fastest, true, 204, -1},  // nothing listed: no level
      {3, &one, fastest, true, 200, 0},     // one speed: level 0, no division by zero
      {3, nullptr, fastest, true, 204, -1},
  };
  for (const Case& c : cases) {
    const MainIcon icon = MainIconFor(c.profile, c.half, table, cpu, c.multiplier, c.showLevel);
    EXPECT_EQ(icon.image, c.image) << "profile " << c.profile << " at " << c.multiplier;
    EXPECT_EQ(icon.level, c.level) << "profile " << c.profile << " at " << c.multiplier;
  }
}

// Today's processors' rows are clocks in MHz: their speed is the clock over the 100 MHz
// reference, from the slowest step to the boost row.
TEST(TrayMainIcon, TodaysProcessorsRowsRunAtTheirClockOverTheReference) {
  CpuInfo cpu;
  cpu.hasAperfMperf = 1;
  platform::FrequencyPolicy policy;
  policy.cpus = {0};
  policy.hardwareMinKhz = policy.minKhz = 1'400'000;
  policy.hardwareMaxKhz = policy.maxKhz = 4'200'000;
  policy.baseKhz = 2'900'000;
  ASSERT_TRUE(AdoptKernelPolicy(cpu, {policy}));
  const PStateTable table = BuildTableFromProcessor(cpu);
  EXPECT_FLOAT_EQ(RowSpeed(cpu, *table.Row(0)), 14.0);
  EXPECT_FLOAT_EQ(RowSpeed(cpu, *table.Row(table.lastIndex - 1)), 29.0);
  EXPECT_FLOAT_EQ(RowSpeed(cpu, *table.Row(table.lastIndex)), 42.0);
}

TEST(TrayTooltips, ProcessorZerosValuesTheMeansAndNotAvailable) {
  const StringTable strings;
  CpuSample p0;
  p0.clock = 1800.456;
  p0.throttle = 0.5;
  p0.multiplier = 9.0f;
  p0.voltage = 1.1f;
  p0.cpuLoad = 10.0;
  SampleMeans means;
  means.cpuLoad = 20.126;
  means.osLoad = 30.25;
  means.temperature = 45.5;
  const TrayTooltips tips =
      FormatTrayTooltips(p0, means, 0, PowerSource::kBattery, "Power saving", strings);
  EXPECT_EQ(tips.main,
            "Profile: Power saving\nPower source: Battery\nCPU clock: 1800.46 MHz\n"
            "FID: 9.0x, VID: 1.1000V\nCore temp.: 45.5\u00B0C");
  EXPECT_EQ(tips.frequency,
            "CPU clock: 1800.46 MHz\nCPU throttle: 50.00%\nMultiplier (FID): 9.0x\n"
            "Req. voltage (VID): 1.1000V");
  EXPECT_EQ(tips.load, "CPU load: 20.13%\nOS load: 30.25%");
  EXPECT_EQ(FormatTrayTooltips(p0, means, 1, PowerSource::kAc, "", strings).temperature,
            "CPU core temperature: 113.9\u00B0F");

  // Nothing measured: processor 0 without a load reading shows none, whatever the mean.
  const CpuSample none{-1.0, -1.0, 0.0f, 0.0f, -1.0, 0.0, -1.0f, 0};
  const TrayTooltips na = FormatTrayTooltips(none, means, 0, PowerSource::kAc, "x", strings);
  EXPECT_EQ(na.frequency,
            "CPU clock: N/A MHz\nCPU throttle: N/A\nMultiplier (FID): N/A\n"
            "Req. voltage (VID): N/A");
  EXPECT_EQ(na.load, "CPU load: N/A\nOS load: 30.25%");
  means.temperature = -1.0;
  EXPECT_EQ(FormatTrayTooltips(none, means, 0, PowerSource::kAc, "x", strings).temperature,
            "CPU core temperature: N/A");

  // The desktop keeps 127 bytes of a tooltip; a cut never splits a character.
  const std::string longName(120, 'x');
  EXPECT_EQ(FormatTrayTooltips(p0, means, 0, PowerSource::kAc, longName, strings).main.size(),
            kTooltipBytes);
  std::string wide(117, 'x');  // appended in place: GCC 12 warns falsely of `+`
  wide += "\u00E9\u00E9";      // "Profile: " + 117 + 2 x 2
  EXPECT_EQ(FormatTrayTooltips(p0, means, 0, PowerSource::kAc, wide, strings).main.size(),
            128u - 2);
}

TEST(TrayMainIconClicks, ASingleClickOpensTheProfileMenuAndADoubleClickTheWindow) {
  using Action = MainIconClicks::Action;
  // Without the profile menu on a single click: no timer, a double click toggles.
  MainIconClicks plain;
  EXPECT_FALSE(plain.OnRelease(false));
  EXPECT_EQ(plain.OnDoubleClick(false), Action::kToggleWindow);

  MainIconClicks clicks;
  EXPECT_TRUE(clicks.OnRelease(true));
  EXPECT_FALSE(clicks.OnRelease(true));  // one timer at a time
  EXPECT_EQ(clicks.OnTimer(true), Action::kProfileMenu);
  EXPECT_TRUE(clicks.OnRelease(true));
  EXPECT_EQ(clicks.OnTimer(false), Action::kNone);  // nothing to choose on this processor
  // A double click within the timer: the window, and the next single click is a menu again.
  EXPECT_TRUE(clicks.OnRelease(true));
  EXPECT_EQ(clicks.OnDoubleClick(true), Action::kNone);
  EXPECT_EQ(clicks.OnTimer(true), Action::kToggleWindow);
  EXPECT_TRUE(clicks.OnRelease(true));
  EXPECT_EQ(clicks.OnTimer(true), Action::kProfileMenu);
  // A double click no timer waits for is not kept for a later single click.
  EXPECT_EQ(clicks.OnDoubleClick(true), Action::kNone);
  EXPECT_TRUE(clicks.OnRelease(true));
  EXPECT_EQ(clicks.OnTimer(true), Action::kProfileMenu);
}

}  // namespace
}  // namespace pacetta
