#include "engine/profiles/profile_store.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "engine/profiles/profile_records.h"
#include "engine/profiles/pstates_data.h"
#include "tests/profiles/test_processors.h"

namespace pacetta {
namespace {

// The K8 fixture's own table: FIDs 0, 2, .. 10 at VID 6, six rows.
std::vector<uint8_t> StoredTable(int32_t disabledRow = -1) {
  std::vector<uint8_t> bytes;
  for (uint8_t fid = 0; fid <= 10; fid += 2)
    bytes.insert(bytes.end(), {fid, 6, static_cast<uint8_t>(fid / 2 == disabledRow ? 0 : 1), 0x20});
  return bytes;
}

Profile WithStates(std::string_view name, std::initializer_list<int32_t> rows) {
  Profile profile = FreshProfile(name, 6);
  for (ProfileHalf* half : {&profile.ac, &profile.dc}) {
    half->useFidVid = 1;
    for (int32_t row : rows) half->states[static_cast<size_t>(++half->lastState)] = row;
  }
  return profile;
}

std::vector<uint8_t> Records(std::initializer_list<Profile> profiles) {
  std::vector<uint8_t> bytes;
  for (const Profile& profile : profiles) PackProfileRecord(profile, bytes);
  return bytes;
}

std::vector<int32_t> StatesOf(const ProfileHalf& half) {
  return std::vector<int32_t>(half.states.begin(), half.states.begin() + (half.lastState + 1));
}

class ProfileStoreTest : public ::testing::Test {
 protected:
  CpuInfo cpu_ = testing::EvenTableK8();
  ProfileStore store_;
};

TEST_F(ProfileStoreTest, NothingStoredGivesTheFixedProfilesAndTheProcessorsTable) {
  const ProfileLoadReport report = store_.Load({}, cpu_, 4);
  EXPECT_FALSE(report.tableRead);
  EXPECT_EQ(store_.Count(), 4);
  EXPECT_EQ(store_.Table().lastIndex, 5);
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_FALSE(IsManaged(store_.At(i)->ac));
    EXPECT_EQ(store_.At(i)->ac.targetLoad, 50);
    EXPECT_EQ(store_.At(i)->dc.upIntervalMs, 200);
  }
  EXPECT_EQ(store_.At(4), nullptr);
}

TEST_F(ProfileStoreTest, FixedProfileRulesApplyAtLoad) {
  StoredProfileData stored;
  stored.pstatesData = StoredTable();
  stored.profileData = Records({WithStates("", {0, 1}), WithStates("", {2, 3, 4}),
                                WithStates("", {5, 4}), WithStates("", {0, 3, 5})});
  store_.Load(stored, cpu_, 4);
  EXPECT_EQ(store_.At(0)->ac.lastState, -1);
  EXPECT_EQ(StatesOf(store_.At(1)->ac), (std::vector<int32_t>{2}));
  EXPECT_EQ(StatesOf(store_.At(2)->dc), (std::vector<int32_t>{5}));
  EXPECT_EQ(StatesOf(store_.At(3)->ac), (std::vector<int32_t>{0, 3, 5}));
  // Thresholds come with the load: multipliers 4, 7 and 9.
  EXPECT_EQ(store_.At(3)->ac.thresholds[0][1], 88);
  EXPECT_EQ(store_.At(3)->ac.thresholds[2][0], 22);
}

TEST_F(ProfileStoreTest, ValidationDropsStatesBeyondTheTableOrSwitchedOffKeepingOrder) {
  StoredProfileData stored;
  stored.pstatesData = StoredTable(/*disabledRow=*/3);
  stored.profileData =
      Records({Profile{}, Profile{}, Profile{}, WithStates("", {5, 9, 3, 1, 200, 0})});
  store_.Load(stored, cpu_, 4);
  EXPECT_EQ(StatesOf(store_.At(3)->ac), (std::vector<int32_t>{5, 1, 0}));

  // "Power saving" keeps the state it lists first, or none when that one is unusable.
  stored.profileData =
      Records({Profile{}, WithStates("", {3, 2}), WithStates("", {9, 1}), Profile{}});
  store_.Load(stored, cpu_, 4);
  EXPECT_EQ(store_.At(1)->ac.lastState, -1);
  EXPECT_EQ(store_.At(2)->ac.lastState, -1);
  stored.profileData = Records({Profile{}, WithStates("", {2, 3}), Profile{}, Profile{}});
  store_.Load(stored, cpu_, 4);
  EXPECT_EQ(StatesOf(store_.At(1)->dc), (std::vector<int32_t>{2}));
  stored.profileData = Records({Profile{}, Profile{}, Profile{}, WithStates("", {5, 1, 0})});
  store_.Load(stored, cpu_, 4);

  // Switching a row off in the editor removes it at the next validation.
  PStateTable edited = store_.Table();
  edited.rows[1].enabled = 0;
  store_.ApplyTable(edited, cpu_, /*rangeChanged=*/false);
  EXPECT_EQ(StatesOf(store_.At(3)->dc), (std::vector<int32_t>{5, 0}));

  // Changing the range empties every state list.
  edited.lastIndex = 2;
  store_.ApplyTable(edited, cpu_, /*rangeChanged=*/true);
  EXPECT_EQ(store_.At(3)->ac.lastState, -1);
  EXPECT_EQ(store_.Table().lastIndex, 2);
}

TEST_F(ProfileStoreTest, StoredRowsTheProcessorDoesNotOfferAreSwitchedOffAndUnlisted) {
  StoredProfileData stored;
  stored.pstatesData = std::vector<uint8_t>{10, 6, 1, 0x20, 40, 0, 1, 0x20};  // FID 40 > maxFid
  stored.profileData = Records({Profile{}, Profile{}, Profile{}, WithStates("", {0, 1})});
  const ProfileLoadReport report = store_.Load(stored, cpu_, 4);
  EXPECT_TRUE(report.tableRead);
  EXPECT_EQ(report.rowsDisabled, 1);
  EXPECT_EQ(store_.Table().rows[1].enabled, 0u);
  EXPECT_EQ(StatesOf(store_.At(3)->ac), (std::vector<int32_t>{0}));
}

TEST_F(ProfileStoreTest, RebuiltTableEmptiesStoredStateLists) {
  StoredProfileData stored;
  stored.pstatesData = std::vector<uint8_t>{};  // saved empty after a K8 method change
  Profile throttled = WithStates("", {0, 1});
  throttled.ac.useThrottle = 1;
  throttled.ac.lastThrottle = 0;
  throttled.ac.throttles[0] = 4;
  stored.profileData = Records({Profile{}, Profile{}, Profile{}, throttled});
  store_.Load(stored, cpu_, 4);
  EXPECT_EQ(store_.Table().lastIndex, 5);
  EXPECT_EQ(store_.At(3)->ac.lastState, -1);
  EXPECT_EQ(store_.At(3)->ac.lastThrottle, 0);  // throttling does not depend on the table
}

TEST_F(ProfileStoreTest, ShortStoredListKeepsTheFourFixedProfiles) {
  StoredProfileData stored;
  stored.pstatesData = StoredTable();
  Profile first = FreshProfile("stored", 6);
  first.dc.targetLoad = 70;
  stored.profileData = Records({first, first});
  stored.profileData->resize(stored.profileData->size() + 100, 0xEE);  // partial record
  const ProfileLoadReport report = store_.Load(stored, cpu_, 4);
  EXPECT_EQ(report.profilesRead, 2);
  ASSERT_EQ(store_.Count(), 4);
  EXPECT_EQ(store_.At(1)->dc.targetLoad, 70);
  EXPECT_EQ(store_.At(2)->dc.targetLoad, 50);
  // Missing OS data leaves fresh records.
  EXPECT_EQ(store_.At(3)->osPolicy[0], 0xFF);
}

TEST_F(ProfileStoreTest, SaveThenLoadGivesTheSameStrings) {
  StoredProfileData stored;
  stored.pstatesData = StoredTable(2);
  Profile custom = WithStates("Quiet", {0, 4});
  custom.osPolicy[3] = 7;
  custom.dc.useThrottle = 1;
  custom.dc.lastThrottle = 1;
  custom.dc.throttles = {2, 6};
  stored.profileData = Records({Profile{}, WithStates("", {1}), Profile{}, Profile{}, custom});
  stored.profileExtData = std::vector<uint8_t>(5 * kProfileExtRecordSize, 0x11);
  store_.Load(stored, cpu_, kMaxProfiles);
  ASSERT_EQ(store_.Count(), 5);
  const StoredProfileData saved = store_.Save();
  ProfileStore reloaded;
  reloaded.Load(saved, cpu_, kMaxProfiles);
  const StoredProfileData again = reloaded.Save();
  EXPECT_EQ(again.pstatesData, saved.pstatesData);
  EXPECT_EQ(again.profileData, saved.profileData);
  EXPECT_EQ(again.profileExtData, saved.profileExtData);
  EXPECT_EQ(NameOf(*reloaded.At(4)), "Quiet");
  EXPECT_EQ(reloaded.At(4)->dc.lastThrottle, 1);
  EXPECT_EQ(saved.profileExtData->size(), 5 * kProfileExtRecordSize);
}

TEST_F(ProfileStoreTest, CustomProfilesUnreadableWithoutTheModuleAreSavedUntouched) {
  StoredProfileData stored;
  stored.pstatesData = StoredTable();
  const std::vector<uint8_t> customs = Records({WithStates("A", {1, 2}), WithStates("B", {3})});
  stored.profileData = Records({Profile{}, WithStates("", {1}), Profile{}, WithStates("", {0, 5})});
  stored.profileData->insert(stored.profileData->end(), customs.begin(), customs.end());
  stored.profileExtData = std::vector<uint8_t>(6 * kProfileExtRecordSize - 10, 0x33);

  const ProfileLoadReport report = store_.Load(stored, cpu_, 4);
  EXPECT_EQ(report.profilesRead, 4);
  EXPECT_EQ(report.recordsKept, 2);
  ASSERT_EQ(store_.Count(), 4);
  EXPECT_EQ(StatesOf(store_.At(3)->ac), (std::vector<int32_t>{0, 5}));
  EXPECT_FALSE(store_.Add("no room"));

  const StoredProfileData saved = store_.Save();
  ASSERT_EQ(saved.profileData->size(), 6 * kProfileRecordSize);
  EXPECT_TRUE(std::equal(customs.begin(), customs.end(),
                         saved.profileData->begin() + 4 * kProfileRecordSize));
  ASSERT_EQ(saved.profileExtData->size(), 6 * kProfileExtRecordSize);
  EXPECT_EQ((*saved.profileExtData)[4 * kProfileExtRecordSize], 0x33);
  // The sixth record's OS data was cut short: it is saved fresh.
  EXPECT_EQ(saved.profileExtData->back(), 0xFF);

  // With the module back, the kept profiles are readable again.
  ProfileStore withModule;
  withModule.Load(saved, cpu_, kMaxProfiles);
  ASSERT_EQ(withModule.Count(), 6);
  EXPECT_EQ(StatesOf(withModule.At(4)->ac), (std::vector<int32_t>{1, 2}));

  // A changed table range also invalidates what is kept.
  store_.InvalidateAll(cpu_);
  withModule.Load(store_.Save(), cpu_, kMaxProfiles);
  EXPECT_EQ(withModule.At(4)->ac.lastState, -1);
  EXPECT_EQ(NameOf(*withModule.At(5)), "B");
}

TEST_F(ProfileStoreTest, K8MethodChangeSavesTheTableAndFixedStateListsEmpty) {
  StoredProfileData stored;
  stored.pstatesData = StoredTable();
  stored.profileData = Records(
      {Profile{}, WithStates("", {1}), Profile{}, WithStates("", {0, 5}), WithStates("", {2, 3})});
  store_.Load(stored, cpu_, kMaxProfiles);
  const StoredProfileData saved = store_.Save({.k8MethodChanged = true});
  EXPECT_TRUE(saved.pstatesData->empty());
  Profile record;
  UnpackProfileRecord(std::span(*saved.profileData).subspan(3 * kProfileRecordSize), record);
  EXPECT_EQ(record.ac.lastState, -1);
  EXPECT_EQ(record.ac.useFidVid, 1u);
  UnpackProfileRecord(std::span(*saved.profileData).subspan(4 * kProfileRecordSize), record);
  EXPECT_EQ(record.dc.lastState, 1);
  // In memory nothing changed.
  EXPECT_EQ(store_.At(3)->ac.lastState, 1);
}

TEST_F(ProfileStoreTest, AddAndDeleteKeepTheOtherProfilesInPlace) {
  store_.Load({}, cpu_, kMaxProfiles);
  const auto first = store_.Add("First");
  ASSERT_EQ(first, 4);
  const Profile* firstRecord = store_.At(4);
  for (int32_t i = 5; i < kMaxProfiles; ++i) ASSERT_EQ(store_.Add("more"), i);
  EXPECT_EQ(store_.At(4), firstRecord);  // never moved by growth
  EXPECT_FALSE(store_.Add("one too many"));
  EXPECT_EQ(NameOf(*store_.At(4)), "First");
  EXPECT_EQ(store_.At(31)->osPolicy[479], 0xFF);

  EXPECT_FALSE(store_.Delete(3));  // fixed
  EXPECT_FALSE(store_.Delete(32));
  const Profile* fifth = store_.At(5);
  EXPECT_TRUE(store_.Delete(4));
  EXPECT_EQ(store_.Count(), 31);
  EXPECT_EQ(store_.At(4), fifth);
}

TEST_F(ProfileStoreTest, FixedNamesFollowTheLanguageAndLongNamesAreCut) {
  const std::vector<std::string> names = {"No management", "Power saving", "Maximal performance",
                                          "Performance on demand"};
  store_.SetFixedNames(names);
  EXPECT_EQ(NameOf(*store_.At(2)), "Maximal performance");
  Profile profile;
  SetName(profile, std::string(40, 'x'));
  EXPECT_EQ(NameOf(profile), std::string(32, 'x'));
}

TEST(ProfileSelection, ClampSelectAndDelete) {
  EXPECT_EQ(ClampSelection({1, 7}, 4).dc, 0);
  EXPECT_EQ(ClampSelection({-1, 3}, 4).ac, 0);
  EXPECT_EQ(ClampSelection({-1, 3}, 4).dc, 3);

  ProfileSelection selection{2, 3};
  EXPECT_FALSE(SelectProfile(selection, 1, 4, 4));
  EXPECT_EQ(selection.ac, 2);  // refused as a whole
  EXPECT_TRUE(SelectProfile(selection, std::nullopt, 1, 4));
  EXPECT_EQ(selection.ac, 2);
  EXPECT_EQ(selection.Current(true), 1);

  ProfileSelection afterDelete{5, 7};
  AdjustSelectionAfterDelete(afterDelete, 5);
  EXPECT_EQ(afterDelete.ac, 0);
  EXPECT_EQ(afterDelete.dc, 6);
}

}  // namespace
}  // namespace pacetta
