// Management end to end on simulated laptops: the real identification, load, decision,
// transitions and register models, which refuse what the real parts refuse.
#include <gtest/gtest.h>

#include "tests/engine_management/management_rig.h"

namespace pacetta::testing {
namespace {

using management::ManagementSettings;
using management::PeriodReport;
using Reports = std::vector<std::vector<PeriodReport>>;

ManagementSettings Fast() {
  ManagementSettings settings;
  settings.controlIntervalMs = 20;
  settings.transitionsMethod = management::kSingleStep;
  return settings;
}

class OnDemand : public ::testing::TestWithParam<const char*> {};

TEST_P(OnDemand, ClimbsUnderFullLoadAndFallsBackWhenIdle) {
  ManagementRig rig(GetParam(), Fast());
  ASSERT_GE(rig.Count(), 2u);
  ASSERT_TRUE(rig.Record(1).isSecondary);
  const int32_t last = rig.LastRow();
  ASSERT_GE(last, 1);

  rig.Start(kPowerSavingProfile);
  ASSERT_TRUE(rig.WaitForState(0));
  rig.Manager().Select({kOnDemandProfile, kOnDemandProfile});

  // Full load: one state per period once the up interval (limit 1: two periods) has
  // passed, so the fastest state comes within (limit + 1) x rows periods.
  ASSERT_TRUE(rig.WaitForState(last));
  std::vector<PeriodReport> primary = rig.log.Of(0);
  size_t first = primary.size();
  while (first > 0 && primary[first - 1].load >= 0 &&
         primary[first - 1].generation == primary.back().generation)
    --first;
  size_t reachedAt = first;
  while (primary[reachedAt].positions.state != last) ++reachedAt;
  EXPECT_LE(reachedAt - first, static_cast<size_t>(2 * last + 2));
  for (unsigned k = 0; k < rig.Count(); ++k) {
    EXPECT_EQ(rig.Running(k).fid, rig.Row(last).fid) << k;
  }

  rig.GoIdle();
  ASSERT_TRUE(rig.WaitForState(0));
  for (unsigned k = 0; k < rig.Count(); ++k) {
    EXPECT_EQ(rig.Running(k).fid, rig.Row(0).fid) << k;
  }
  // The secondary applied what its primary decided, period by period.
  const auto secondary = rig.log.Of(1);
  for (const PeriodReport& report : secondary) EXPECT_EQ(report.load, -1);
  EXPECT_EQ(rig.Violations(), "");
}

INSTANTIATE_TEST_SUITE_P(Laptops, OnDemand, ::testing::Values("k8-x2-laptop", "core2-duo-laptop"));

TEST(NoManagement, AfterAManagedProfileRestoresDefaultsOnceThenLeavesTheProcessorAlone) {
  ManagementSettings settings = Fast();
  settings.defaultsMode = management::kDefaultsCustom;
  ManagementRig probe("k8-x2-laptop", settings);
  settings.defaultFid = static_cast<int32_t>(probe.Row(1).fid);  // neither end of the table
  settings.defaultVid = static_cast<int32_t>(probe.Row(1).vid);

  ManagementRig rig("k8-x2-laptop", settings);
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(rig.WaitForState(rig.LastRow()));

  rig.Manager().Select({kNoManagementProfile, kNoManagementProfile});
  for (unsigned k = 0; k < rig.Count(); ++k) {
    EXPECT_EQ(rig.Running(k).fid, rig.Row(1).fid) << k;
  }
  EXPECT_EQ(rig.Manager().CurrentIndex(), kNoManagementProfile);
  // Full load goes on, but nothing is touched any more.
  const size_t before = rig.log.Of(0).size();
  ASSERT_TRUE(rig.log.WaitFor([&](const Reports& r) { return r[0].size() >= before + 5; }));
  for (unsigned k = 0; k < rig.Count(); ++k) {
    const auto reports = rig.log.Of(k);
    EXPECT_FALSE(reports.back().changed);
    EXPECT_EQ(rig.Running(k).fid, rig.Row(1).fid) << k;
  }
  EXPECT_EQ(rig.Violations(), "");
}

TEST(RestoreDefaults, WakesTheThreadsAndWaitsForThePeriodThatAppliedThem) {
  // A control period far longer than the 500 ms the restore waits: only woken threads
  // can apply the defaults in time, and a settled mark from an older period must not
  // count.
  ManagementSettings settings = Fast();
  settings.controlIntervalMs = 5000;
  settings.defaultsMode = management::kDefaultsCustom;
  ManagementRig rig("core2-duo-laptop", settings);
  settings.defaultFid = static_cast<int32_t>(rig.Row(0).fid);
  settings.defaultVid = static_cast<int32_t>(rig.Row(0).vid);
  ManagementRig slow("core2-duo-laptop", settings);
  slow.Start(kMaximalPerformanceProfile);
  ASSERT_TRUE(slow.WaitForState(0));
  ASSERT_EQ(slow.Running(0).fid, slow.Row(slow.LastRow()).fid);

  EXPECT_TRUE(slow.Manager().RestoreDefaults(true, false, false));
  for (unsigned k = 0; k < slow.Count(); ++k) {
    EXPECT_EQ(slow.Running(k).fid, slow.Row(0).fid) << k;
  }
  // The previous profile is current again.
  EXPECT_EQ(slow.Manager().CurrentIndex(), kMaximalPerformanceProfile);
  EXPECT_EQ(slow.Violations(), "");
}

TEST(RestoreDefaults, NeedsItsSettingAndAKind) {
  ManagementSettings settings = Fast();
  settings.defaultsOnDisable = 0;
  ManagementRig rig("k8-x2-laptop", settings);
  rig.Start(kMaximalPerformanceProfile);
  EXPECT_FALSE(rig.Manager().RestoreDefaults(true, true, false));
  EXPECT_FALSE(rig.Manager().RestoreDefaults(false, false, true));
  EXPECT_EQ(rig.Manager().CurrentIndex(), kMaximalPerformanceProfile);
}

TEST(Suspend, PowerSavingActionSettlesThenHoldsTheThreadsUntilResume) {
  ManagementSettings settings = Fast();
  settings.suspendAction = management::kSuspendPowerSaving;
  ManagementRig rig("k8-x2-laptop", settings);
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(rig.WaitForState(rig.LastRow()));

  rig.Manager().OnSuspend();
  EXPECT_TRUE(rig.Manager().ThreadsSuspended());
  EXPECT_EQ(rig.Manager().CurrentIndex(), kPowerSavingProfile);
  for (unsigned k = 0; k < rig.Count(); ++k) EXPECT_EQ(rig.Running(k).fid, rig.Row(0).fid) << k;

  rig.Manager().OnResume(1);
  EXPECT_EQ(rig.Manager().CurrentIndex(), kOnDemandProfile);
  ASSERT_TRUE(rig.WaitForState(rig.LastRow()));  // full load again
  EXPECT_EQ(rig.Violations(), "");
}

TEST(Suspend, MaximalPerformanceOnAThrottleOnlyHalfSetsOnlyTheThrottlePosition) {
  ManagementSettings settings = Fast();
  settings.suspendAction = management::kSuspendMaximalPerformance;
  ManagementRig rig("core2-duo-laptop", settings);
  for (ProfileHalf* half : {&rig.Store().At(kMaximalPerformanceProfile)->ac,
                            &rig.Store().At(kMaximalPerformanceProfile)->dc}) {
    half->useFidVid = 0;
    half->useThrottle = 1;
    half->lastThrottle = 0;
    half->throttles[0] = kNoThrottling;
  }
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(rig.WaitForState(rig.LastRow()));
  const int32_t statePosition = rig.Manager().Positions(0).state;

  rig.Manager().OnSuspend();
  for (unsigned k = 0; k < rig.Count(); ++k) {
    EXPECT_EQ(rig.Manager().Positions(k).throttle, 0) << k;
    EXPECT_EQ(rig.Manager().Positions(k).state, statePosition) << k;
  }
  EXPECT_EQ(rig.Violations(), "");
}

TEST(PowerStatus, ChangesOfTheSourceActivateItsProfileAndTellTheUser) {
  ManagementSettings settings = Fast();
  settings.showInfoBalloons = 1;
  ManagementRig rig("k8-x2-laptop", settings);
  rig.Start(kOnDemandProfile);
  rig.Manager().Select({kMaximalPerformanceProfile, kPowerSavingProfile});
  EXPECT_EQ(rig.Manager().CurrentIndex(), kMaximalPerformanceProfile);

  EXPECT_FALSE(rig.Manager().OnPowerStatusChange(1, false));  // still on AC
  EXPECT_TRUE(rig.Manager().OnPowerStatusChange(0, false));
  EXPECT_EQ(rig.Manager().PowerSource(), 1);
  EXPECT_EQ(rig.Manager().CurrentIndex(), kPowerSavingProfile);
  EXPECT_TRUE(rig.Manager().OnPowerStatusChange(1, false));
  EXPECT_TRUE(rig.Manager().OnPowerStatusChange(255, false));  // unknown counts as battery
  EXPECT_EQ(rig.balloons.size(), 3u);
  EXPECT_EQ(rig.balloons.front().first, management::kStrPowerSourceChanged);
}

TEST(Priorities, RealTimeWhileManagedNormalOtherwise) {
  ManagementRig rig("k8-x2-laptop", Fast());
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(
      rig.log.WaitFor([&](const Reports& r) { return r[0].size() >= 2 && r[1].size() >= 2; }));
  rig.Manager().Select({kNoManagementProfile, kNoManagementProfile});
  const size_t seen0 = rig.log.Of(0).size(), seen1 = rig.log.Of(1).size();
  ASSERT_TRUE(rig.log.WaitFor(
      [&](const Reports& r) { return r[0].size() >= seen0 + 2 && r[1].size() >= seen1 + 2; }));
  rig.Manager().Stop();

  using platform::ProcessPriority;
  using platform::ThreadPriority;
  EXPECT_EQ(rig.priorities.Processes(),
            (std::vector<ProcessPriority>{ProcessPriority::kRealtime, ProcessPriority::kNormal}));
  const auto threads = rig.priorities.Threads();
  EXPECT_EQ(std::count(threads.begin(), threads.end(), ThreadPriority::kTimeCritical), 2);
  EXPECT_EQ(std::count(threads.begin(), threads.end(), ThreadPriority::kNormal), 2);
}

TEST(Priorities, UnchangedWithNoRealtimePriority) {
  ManagementSettings settings = Fast();
  settings.noRealtimePriority = 1;
  ManagementRig rig("k8-x2-laptop", settings);
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(rig.log.WaitFor([&](const Reports& r) { return r[0].size() >= 2; }));
  rig.Manager().Stop();
  EXPECT_TRUE(rig.priorities.Processes().empty());
  EXPECT_TRUE(rig.priorities.Threads().empty());
}

}  // namespace
}  // namespace pacetta::testing
