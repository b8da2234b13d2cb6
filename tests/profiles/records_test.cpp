#include <gtest/gtest.h>

#include <vector>

#include "engine/profiles/profile_records.h"
#include "engine/profiles/pstates_data.h"

namespace pacetta {
namespace {

constexpr size_t kAc = 32;
constexpr size_t kDc = 113;

TEST(ProfileRecord, ReadsTheStoredLayout) {
  std::vector<uint8_t> record(kProfileRecordSize, 0);
  record[0] = 'O';
  record[1] = 'k';
  record[kAc + 0] = 1;  // useFidVid
  record[kAc + 1] = 1;  // lastState
  record[kAc + 2] = 3;  // states
  record[kAc + 3] = 7;
  record[kAc + 66] = 1;     // useThrottle
  record[kAc + 67] = 0;     // lastThrottle
  record[kAc + 68] = 4;     // throttles
  record[kAc + 76] = 65;    // targetLoad
  record[kAc + 77] = 0x2C;  // upInterval 300
  record[kAc + 78] = 0x01;
  record[kAc + 79] = 0x10;  // downInterval 10000
  record[kAc + 80] = 0x27;
  record[kDc + 1] = 0xFF;  // lastState -1
  record[kDc + 67] = 0xFF;

  Profile profile;
  ASSERT_TRUE(UnpackProfileRecord(record, profile));
  EXPECT_EQ(NameOf(profile), "Ok");
  EXPECT_EQ(profile.ac.useFidVid, 1u);
  EXPECT_EQ(profile.ac.lastState, 1);
  EXPECT_EQ(profile.ac.states[0], 3);
  EXPECT_EQ(profile.ac.states[1], 7);
  EXPECT_EQ(profile.ac.useThrottle, 1u);
  EXPECT_EQ(profile.ac.lastThrottle, 0);
  EXPECT_EQ(profile.ac.throttles[0], 4);
  EXPECT_EQ(profile.ac.targetLoad, 65);
  EXPECT_EQ(profile.ac.upIntervalMs, 300);
  EXPECT_EQ(profile.ac.downIntervalMs, 10000);
  EXPECT_EQ(profile.dc.lastState, -1);
  EXPECT_EQ(profile.dc.lastThrottle, -1);

  // Written back, only the listed entries appear: the record is reproduced exactly.
  std::vector<uint8_t> packed;
  PackProfileRecord(profile, packed);
  EXPECT_EQ(packed, record);
}

TEST(ProfileRecord, ShortRecordIsRefusedAndLeavesTheProfile) {
  Profile profile;
  SetName(profile, "Keep");
  std::vector<uint8_t> record(kProfileRecordSize - 1, 0xAB);
  EXPECT_FALSE(UnpackProfileRecord(record, profile));
  EXPECT_EQ(NameOf(profile), "Keep");
}

TEST(ProfileRecord, StoredListLengthsAreNotTrusted) {
  std::vector<uint8_t> record(kProfileRecordSize, 0);
  record[kAc + 1] = 100;  // lastState beyond the 64 entries
  record[kAc + 67] = 20;  // lastThrottle beyond the 8 levels
  for (size_t i = 0; i < 8; ++i) record[kAc + 68 + i] = static_cast<uint8_t>(i + 1);
  record[kDc + 1] = 0xFB;  // -5
  record[kDc + 67] = 4;
  const uint8_t levels[] = {0, 3, 9, 8, 200};
  for (size_t i = 0; i < 5; ++i) record[kDc + 68 + i] = levels[i];

  Profile profile;
  ASSERT_TRUE(UnpackProfileRecord(record, profile));
  EXPECT_EQ(profile.ac.lastState, 63);
  EXPECT_EQ(profile.ac.lastThrottle, 7);
  EXPECT_EQ(profile.dc.lastState, -1);
  // Levels outside 1..8 are dropped and the gaps closed.
  ASSERT_EQ(profile.dc.lastThrottle, 1);
  EXPECT_EQ(profile.dc.throttles[0], 3);
  EXPECT_EQ(profile.dc.throttles[1], 8);
  EXPECT_EQ(profile.dc.throttles[2], 0);
}

TEST(ProfileRecord, PackKeepsOutOfRangeFieldsFromWrapping) {
  Profile profile;
  profile.ac.targetLoad = 300;
  profile.ac.upIntervalMs = 70000;
  profile.ac.downIntervalMs = -4;
  profile.ac.lastState = 90;  // clamped to the 64 stored entries
  std::vector<uint8_t> packed;
  PackProfileRecord(profile, packed);
  ASSERT_EQ(packed.size(), kProfileRecordSize);
  EXPECT_EQ(packed[kAc + 1], 63);
  EXPECT_EQ(packed[kAc + 76], 255);
  EXPECT_EQ(packed[kAc + 77], 0xFF);
  EXPECT_EQ(packed[kAc + 78], 0xFF);
  EXPECT_EQ(packed[kAc + 79], 0);
  EXPECT_EQ(packed[kAc + 80], 0);
}

TEST(ProfileExtRecord, RoundTripsAndFreshRecordsFollowTheSystemGeneration) {
  Profile fresh = FreshProfile("x", 5);
  const uint8_t legacyLink[8] = {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0};
  EXPECT_TRUE(std::equal(legacyLink, legacyLink + 8, fresh.osLink.begin()));
  EXPECT_EQ(FreshOsLink(6), (std::array<uint8_t, kOsLinkSize>{}));
  for (uint8_t byte : fresh.osPolicy) ASSERT_EQ(byte, 0xFF);

  std::vector<uint8_t> ext;
  fresh.osPolicy[10] = 0x42;
  PackProfileExtRecord(fresh, ext);
  ASSERT_EQ(ext.size(), kProfileExtRecordSize);
  Profile other;
  ASSERT_TRUE(UnpackProfileExtRecord(ext, other));
  EXPECT_EQ(other.osLink, fresh.osLink);
  EXPECT_EQ(other.osPolicy, fresh.osPolicy);
  ext.pop_back();
  EXPECT_FALSE(UnpackProfileExtRecord(ext, other));
}

TEST(PStatesData, RoundTripsWithSignExtendedFlags) {
  const std::vector<uint8_t> bytes = {10, 6, 1, 0x20, 8, 12, 0, 0xF1};
  const auto table = UnpackPStatesData(bytes);
  ASSERT_TRUE(table);
  ASSERT_EQ(table->lastIndex, 1);
  EXPECT_EQ(table->rows[0].fid, 10u);
  EXPECT_EQ(table->rows[0].vid, 6u);
  EXPECT_EQ(table->rows[0].enabled, 1u);
  EXPECT_EQ(table->rows[0].flags, 0x20);
  EXPECT_EQ(table->rows[1].enabled, 0u);
  EXPECT_EQ(table->rows[1].flags, -15);
  EXPECT_EQ(PackPStatesData(*table), bytes);
}

TEST(PStatesData, ReadsWholeRowsOfTheFirst256BytesOnly) {
  EXPECT_FALSE(UnpackPStatesData({}));
  EXPECT_FALSE(UnpackPStatesData(std::vector<uint8_t>{1, 2, 3}));

  const auto partial = UnpackPStatesData(std::vector<uint8_t>{1, 2, 1, 0, 5, 6});
  ASSERT_TRUE(partial);
  EXPECT_EQ(partial->lastIndex, 0);

  std::vector<uint8_t> overlong(1000, 1);
  const auto table = UnpackPStatesData(overlong);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->lastIndex, kMaxPStates - 1);
  EXPECT_EQ(PackPStatesData(*table).size(), 256u);
}

}  // namespace
}  // namespace pacetta
