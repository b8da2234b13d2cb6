// The running program's operations that the desktop's pages ask, on a simulated K8
// laptop: what reaches the engine and the processors, and what is stored.
#include <gtest/gtest.h>

#include "tests/app/program_rig.h"

namespace pacetta {
namespace {

using testing::ProgramRig;

constexpr const char* kMachine = "k8-x2-laptop";  // FIDs 0, 2, 8, 10; VID 17 is 1.125 V

int32_t RowOfFid(const PStateTable& table, uint32_t fid) {
  for (int32_t i = 0; i < table.Count(); ++i) {
    if (table.rows[static_cast<size_t>(i)].fid == fid) return i;
  }
  return -1;
}

Profile Holding(const Profile& profile, std::vector<int32_t> rows) {
  Profile edited = profile;
  for (ProfileHalf* half : {&edited.ac, &edited.dc}) {
    half->useFidVid = 1;
    half->lastState = static_cast<int32_t>(rows.size()) - 1;
    std::copy(rows.begin(), rows.end(), half->states.begin());
  }
  return edited;
}

TEST(DesktopOperations, ACustomDefaultsPairReachesTheProcessorsOnlyWhenTheyOfferIt) {
  ProgramRig rig(kMachine);
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  const PStateTable table = program.Settings().profiles.Table();
  const int32_t fastest = RowOfFid(table, 10);
  ASSERT_GE(fastest, 0);
  const uint32_t fastestVid = table.rows[static_cast<size_t>(fastest)].vid;

  // "Maximal performance" holds the fastest state and is selected for both sources.
  program.ApplyProfile(kMaximalPerformanceProfile,
                       Holding(*program.Settings().profiles.At(2), {fastest}));
  program.ApplyProfiles(table, false, 1, {2, 2}, {0, 0});
  EXPECT_EQ(program.CurrentProfile(), kMaximalPerformanceProfile);
  ASSERT_TRUE(ProgramRig::WaitFor([&] { return rig.Runs(0, 10, fastestVid); }));

  ManagementSettings edited = program.Settings().management;
  edited.defaultsMode = management::kDefaultsCustom;
  edited.suspendAction = management::kSuspendPowerSaving;
  // FID 4 lies below this part's gateway set: it can never be reached, and no pair of it
  // is stored.
  edited.defaultFid = 4;
  edited.defaultVid = 17;
  program.ApplyManagement(edited);
  EXPECT_EQ(program.Settings().management.defaultFid, 10);
  EXPECT_EQ(program.Settings().management.defaultVid, 17);
  EXPECT_EQ(program.Settings().management.defaultsMode, management::kDefaultsCustom);
  EXPECT_EQ(program.Settings().management.suspendAction, management::kSuspendPowerSaving);

  edited.defaultFid = 8;
  program.ApplyManagement(edited);
  EXPECT_EQ(program.Settings().management.defaultFid, 8);

  // "No management" now: management turning off restores the custom pair everywhere.
  program.ApplyProfiles(table, false, 1, {0, 0}, {0, 0});
  EXPECT_TRUE(ProgramRig::WaitFor([&] { return rig.Runs(0, 8, 17) && rig.Runs(1, 8, 17); }));
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(rig.Stored("DefaultFid"), 8u);
  EXPECT_TRUE(rig.Pc().Violations().empty());
}

TEST(DesktopOperations, AStoredDefaultsPairTheProcessorDoesNotOfferGivesWayToTheStartPair) {
  struct Case {
    uint32_t fid, vid;
    int32_t loadedFid, loadedVid;
  };
  // FID 4 is below the part's gateway set, FID 1 no FID of its even table: both lie
  // within its lowest and highest FID, and neither can be written.
  for (const Case& c : {Case{4, 17, 10, 17}, Case{1, 17, 10, 17}, Case{8, 20, 8, 20}}) {
    ProgramRig rig(kMachine);
    rig.StampProcessor();
    rig.Store("DefaultsMode", management::kDefaultsCustom);
    rig.Store("DefaultFid", c.fid);
    rig.Store("DefaultVid", c.vid);
    ASSERT_TRUE(rig.Start());
    const ManagementSettings& loaded = rig.Program().Settings().management;
    EXPECT_EQ(loaded.defaultsMode, management::kDefaultsCustom);
    EXPECT_EQ(loaded.defaultFid, c.loadedFid) << c.fid << "/" << c.vid;
    EXPECT_EQ(loaded.defaultVid, c.loadedVid) << c.fid << "/" << c.vid;
  }
}

TEST(DesktopOperations,
     ATableOfAnotherLengthResetsEveryProfilesStatesAndOnlyTheStartupSelectionIsStored) {
  ProgramRig rig(kMachine);
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  PStateTable table = program.Settings().profiles.Table();
  ASSERT_EQ(table.Count(), 4);
  for (int32_t i = 0; i < table.Count(); ++i) table.rows[static_cast<size_t>(i)].enabled = 1;
  program.ApplyProfiles(table, false, 1, {0, 0}, {0, 0});
  program.ApplyProfile(kOnDemandProfile, Holding(*program.Settings().profiles.At(3), {0, 1, 2, 3}));
  ASSERT_EQ(program.Settings().profiles.At(3)->ac.lastState, 3);

  // The page did not say so, but two rows are not the four the profiles point into.
  table.lastIndex = 1;
  program.ApplyProfiles(table, false, 0, {3, 1}, {2, 3});
  const ProfileStore& profiles = program.Settings().profiles;
  EXPECT_EQ(profiles.Table().Count(), 2);
  for (int32_t i = 0; i < profiles.Count(); ++i) {
    EXPECT_EQ(profiles.At(i)->ac.lastState, -1) << i;
    EXPECT_EQ(profiles.At(i)->dc.lastState, -1) << i;
  }
  EXPECT_EQ(program.SelectionInUse().ac, 3);
  EXPECT_EQ(program.SelectionInUse().dc, 1);
  EXPECT_EQ(program.CurrentProfile(), program.OnBattery() ? 1 : 3);
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(rig.Stored("ProfileAC"), 2u);
  EXPECT_EQ(rig.Stored("ProfileDC"), 3u);
  EXPECT_EQ(rig.Stored("AutoAdjustVid"), 0u);
}

}  // namespace
}  // namespace pacetta
