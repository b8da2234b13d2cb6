// Start delay, suspension, deletion and shutdown of the management threads.
#include <gtest/gtest.h>

#include "cpu/identify/feature_predicates.h"
#include "engine/management/apply.h"
#include "hw/pinning.h"
#include "tests/engine_management/management_rig.h"

namespace pacetta::testing {
namespace {

using management::ManagementSettings;
using Reports = std::vector<std::vector<management::PeriodReport>>;

ManagementSettings Fast(int32_t startDelayMs = 0) {
  ManagementSettings settings;
  settings.controlIntervalMs = 20;
  settings.startDelayMs = startDelayMs;
  return settings;
}

bool AllReported(const Reports& reports, size_t count) {
  return reports[0].size() >= count && reports[1].size() >= count;
}

TEST(Shutdown, EndsDuringTheStartDelay) {
  ManagementRig rig("k8-x2-laptop", Fast(600'000));
  rig.Start(kOnDemandProfile);
  EXPECT_TRUE(rig.Manager().ThreadsSuspended());
  rig.Manager().Stop();  // threads never resumed: released, joined
  EXPECT_TRUE(rig.stop.IsSet());
  EXPECT_TRUE(rig.log.Of(0).empty());
}

TEST(Shutdown, EndsAfterASuspendWithoutResume) {
  ManagementRig rig("core2-duo-laptop", Fast());
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(rig.log.WaitFor([](const Reports& r) { return AllReported(r, 3); }));
  rig.Manager().OnSuspend();
  EXPECT_TRUE(rig.Manager().ThreadsSuspended());
  rig.Manager().Stop();
  rig.Manager().Stop();  // twice is harmless
  EXPECT_TRUE(rig.stop.IsSet());
}

TEST(Shutdown, EndsWhileAPrimaryIsHeldAndItsSecondaryWaits) {
  ManagementRig rig("k8-x2-laptop", Fast());
  rig.Start(kOnDemandProfile);
  ASSERT_TRUE(rig.log.WaitFor([](const Reports& r) { return AllReported(r, 2); }));
  rig.Manager().SuspendThreads();
  const size_t seen = rig.log.Of(1).size();
  rig.Manager().Stop();
  EXPECT_LE(rig.log.Of(1).size(), seen + 1);  // at most the period under way
}

// Held threads (the start delay, a system suspend) are not let go to restore defaults or
// to switch for a suspend: the processors keep the state they had.
TEST(StartDelay, HeldThreadsLeaveTheProcessorsAloneForDefaultsAndSuspend) {
  ManagementSettings settings = Fast(600'000);
  settings.defaultsMode = management::kDefaultsCustom;
  settings.suspendAction = management::kSuspendPowerSaving;
  ManagementRig probe("core2-duo-laptop", settings);
  settings.defaultFid = static_cast<int32_t>(probe.Row(0).fid);
  settings.defaultVid = static_cast<int32_t>(probe.Row(0).vid);
  for (const bool exiting : {false, true}) {
    ManagementRig rig("core2-duo-laptop", settings);
    rig.Start(kMaximalPerformanceProfile);
    ASSERT_TRUE(rig.Manager().ThreadsSuspended());
    const uint32_t startFid = rig.Running(0).fid;
    ASSERT_NE(startFid, rig.Row(0).fid) << "the test needs defaults that differ from the start";

    if (exiting) {
      EXPECT_FALSE(rig.Manager().RestoreDefaultsOnExit()) << "nothing was restored";
      EXPECT_EQ(rig.Manager().CurrentIndex(), management::kDefaultsProfileIndex);
    } else {
      rig.Manager().OnSuspend();
    }
    EXPECT_TRUE(rig.Manager().ThreadsSuspended()) << exiting;
    for (unsigned k = 0; k < rig.Count(); ++k) EXPECT_EQ(rig.Running(k).fid, startFid) << k;
    EXPECT_TRUE(rig.log.Of(0).empty()) << "no management period ran";
    rig.Manager().Stop();
    EXPECT_EQ(rig.Violations(), "");
  }
}

// An activation or a change of power source takes effect at the next period: it starts
// no early, short period whose load would count toward the up and down counters.
TEST(Activation, WaitsForTheNextControlPeriod) {
  ManagementSettings settings = Fast();
  settings.controlIntervalMs = 10'000;
  ManagementRig rig("k8-x2-laptop", settings);
  rig.Start(kOnDemandProfile);
  rig.Manager().Select({kPowerSavingProfile, kMaximalPerformanceProfile});
  rig.Manager().OnPowerStatusChange(0, false);
  EXPECT_FALSE(rig.log.WaitFor([](const Reports& r) { return !r[0].empty() || !r[1].empty(); },
                               std::chrono::seconds(1)))
      << "a period began before its control interval was over";
  rig.Manager().Stop();
}

TEST(DeleteProfile, TheCurrentCustomProfileGivesWayToNoManagementWithDefaultsRestored) {
  ManagementSettings settings = Fast();
  settings.defaultsMode = management::kDefaultsCustom;
  ManagementRig probe("k8-x2-laptop", settings);
  settings.defaultFid = static_cast<int32_t>(probe.Row(0).fid);
  settings.defaultVid = static_cast<int32_t>(probe.Row(0).vid);
  ManagementRig rig("k8-x2-laptop", settings);
  const auto custom = rig.Store().Add("Compiling");
  ASSERT_TRUE(custom);
  *rig.Store().At(*custom) = *rig.Store().At(kMaximalPerformanceProfile);
  rig.Start(*custom);
  ASSERT_TRUE(rig.WaitForState(0));
  ASSERT_EQ(rig.Running(0).fid, rig.Row(rig.LastRow()).fid);

  bool heldWhileRemoved = false;
  EXPECT_TRUE(rig.Manager().DeleteProfile(
      *custom, [&] { heldWhileRemoved = rig.Manager().ThreadsSuspended(); }));
  EXPECT_TRUE(heldWhileRemoved);
  EXPECT_FALSE(rig.Manager().ThreadsSuspended());
  EXPECT_EQ(rig.Manager().Selection().ac, kNoManagementProfile);
  EXPECT_EQ(rig.Manager().CurrentIndex(), kNoManagementProfile);
  for (unsigned k = 0; k < rig.Count(); ++k) EXPECT_EQ(rig.Running(k).fid, rig.Row(0).fid) << k;
  // The threads go on.
  const size_t seen = rig.log.Of(0).size();
  ASSERT_TRUE(rig.log.WaitFor([&](const Reports& r) { return r[0].size() >= seen + 2; }));

  EXPECT_FALSE(rig.Manager().DeleteProfile(kOnDemandProfile));  // fixed
  EXPECT_EQ(rig.Violations(), "");
}

// Applying directly on processor 0, as its management thread would.
class DirectApply : public ::testing::Test {
 protected:
  DirectApply() : rig_("k8-x2-laptop", Fast(600'000)) {}
  management::ApplyResult Apply(const ProfileHalf& half, management::ListPositions positions) {
    SensorHardware& sensors = rig_.Manager().Hardware().sensors;
    PinToProcessor(rig_.Manager().Hardware().processors, 0);
    const management::ApplyContext context{sensors, pstate_, 200.0, 40.0, 0.0, false};
    const auto result =
        management::ApplyPositions(rig_.Record(0), half, rig_.Store().Table(), positions, context);
    UnpinThread(rig_.Manager().Hardware().processors);
    return result;
  }
  ManagementRig rig_;
  PStateSettings pstate_ = DefaultPStateSettings(rig_.Record(0));
};

TEST_F(DirectApply, PositionsBeyondTheHalfOrTableChangeNothing) {
  ProfileHalf half = rig_.Store().At(kOnDemandProfile)->ac;
  const FidVid before = rig_.Running(0);
  EXPECT_FALSE(Apply(half, {half.lastState + 1, -1}).changed);
  EXPECT_FALSE(Apply(half, {-1, -1}).changed);
  half.states[0] = kMaxPStates - 1;  // a row beyond the table's last
  EXPECT_FALSE(Apply(half, {0, -1}).changed);
  EXPECT_EQ(rig_.Running(0).fid, before.fid);
}

TEST_F(DirectApply, AStateTheK8CannotReachIsRefusedWithoutAWrite) {
  // FID 4 is entered only from FIDs 14 to 18, above this part's highest FID.
  ASSERT_LT(rig_.Record(0).maxFid, 14);
  ProfileHalf half;
  half.useFidVid = 1;
  half.lastState = 0;
  half.states[0] = 0;
  PStateTable table = rig_.Store().Table();
  table.rows[0].fid = 4;
  rig_.Store().ApplyTable(table, rig_.Record(0), false);
  const auto result = Apply(half, {0, -1});
  EXPECT_TRUE(result.failed);
  EXPECT_EQ(rig_.Violations(), "");
}

}  // namespace
}  // namespace pacetta::testing
