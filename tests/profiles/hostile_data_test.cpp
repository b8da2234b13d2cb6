#include <gtest/gtest.h>

#include <random>

#include "engine/profiles/profile_records.h"
#include "engine/profiles/profile_store.h"
#include "engine/profiles/pstates_data.h"
#include "tests/profiles/test_processors.h"

namespace pacetta {
namespace {

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t size) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(random));
  return bytes;
}

// A length near a record boundary most of the time, anything up to 40 records otherwise.
size_t RandomLength(std::mt19937& random, size_t record) {
  std::uniform_int_distribution<size_t> count(0, 40);
  std::uniform_int_distribution<int> nudge(-2, 2);
  const auto length = static_cast<long>(count(random) * record) + nudge(random);
  return static_cast<size_t>(std::max(0L, length));
}

// What every load must leave behind, whatever it was given.
void ExpectValid(const ProfileStore& store, int32_t room) {
  const PStateTable& table = store.Table();
  ASSERT_GE(table.lastIndex, -1);
  ASSERT_LT(table.lastIndex, kMaxPStates);
  ASSERT_GE(store.Count(), kFixedProfileCount);
  ASSERT_LE(store.Count(), room);
  for (int32_t p = 0; p < store.Count(); ++p) {
    const Profile& profile = *store.At(p);
    for (const ProfileHalf* half : {&profile.ac, &profile.dc}) {
      ASSERT_GE(half->lastState, -1);
      ASSERT_LT(half->lastState, kMaxStatesPerList);
      ASSERT_GE(half->lastThrottle, -1);
      ASSERT_LT(half->lastThrottle, kMaxThrottlesPerList);
      for (int32_t i = 0; i <= half->lastState; ++i) ASSERT_TRUE(table.IsUsable(half->states[i]));
      for (int32_t i = 0; i <= half->lastThrottle; ++i) {
        ASSERT_GE(half->throttles[i], 1);
        ASSERT_LE(half->throttles[i], 8);
      }
      ASSERT_FALSE(p == kNoManagementProfile && IsManaged(*half));
      ASSERT_FALSE((p == kPowerSavingProfile || p == kMaximalPerformanceProfile) &&
                   IsDynamic(*half));
      bool thresholdsInRange = true;
      for (const auto& row : half->thresholds) {
        for (int32_t value : row) thresholdsInRange &= value >= 0 && value <= 200;
      }
      ASSERT_TRUE(thresholdsInRange);
      // The diagonal is the target load wherever the position has a speed.
      const int32_t diagonal = half->thresholds[0][0];
      ASSERT_TRUE(!IsManaged(*half) || half->targetLoad > 98 || diagonal == half->targetLoad ||
                  diagonal == 200);
    }
  }
}

TEST(HostileStoredData, RandomStringsAlwaysLoadIntoAValidStore) {
  std::mt19937 random(20240611);
  const CpuInfo processors[] = {testing::EvenTableK8(), testing::Core2WithIda(),
                                testing::PentiumM(), CpuInfo{}};
  std::bernoulli_distribution present(0.85);
  std::bernoulli_distribution withModule(0.5);
  for (int round = 0; round < 400; ++round) {
    const CpuInfo& cpu = processors[round % 4];
    StoredProfileData stored;
    if (present(random)) stored.pstatesData = RandomBytes(random, RandomLength(random, 4) % 400);
    if (present(random))
      stored.profileData = RandomBytes(random, RandomLength(random, kProfileRecordSize));
    if (present(random))
      stored.profileExtData = RandomBytes(random, RandomLength(random, kProfileExtRecordSize));
    const int32_t room = withModule(random) ? kMaxProfiles : kFixedProfileCount;
    ProfileStore store;
    store.Load(stored, cpu, room);
    ASSERT_NO_FATAL_FAILURE(ExpectValid(store, room)) << "round " << round;

    // Whatever was loaded saves and reloads to the same strings.
    const StoredProfileData saved = store.Save();
    ProfileStore reloaded;
    reloaded.Load(saved, cpu, room);
    ASSERT_EQ(reloaded.Save().profileData, saved.profileData) << "round " << round;
    ASSERT_EQ(reloaded.Save().pstatesData, saved.pstatesData) << "round " << round;
  }
}

TEST(HostileStoredData, OutOfRangeIndicesInOtherwiseWellFormedRecords) {
  std::mt19937 random(7);
  const CpuInfo cpu = testing::Core2WithIda();
  std::uniform_int_distribution<int> anyByte(0, 255);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> records(kMaxProfiles * kProfileRecordSize, 0);
    for (size_t offset = 0; offset < records.size(); offset += kProfileRecordSize) {
      for (size_t half : {32u, 113u}) {
        records[offset + half] = 1;                                          // useFidVid
        records[offset + half + 1] = static_cast<uint8_t>(anyByte(random));  // lastState
        for (size_t i = 0; i < 64; ++i)
          records[offset + half + 2 + i] = static_cast<uint8_t>(anyByte(random) % 80);
        records[offset + half + 66] = 1;
        records[offset + half + 67] = static_cast<uint8_t>(anyByte(random));
        for (size_t i = 0; i < 8; ++i)
          records[offset + half + 68 + i] = static_cast<uint8_t>(anyByte(random) % 12);
        records[offset + half + 76] = static_cast<uint8_t>(anyByte(random));
      }
    }
    StoredProfileData stored;
    stored.pstatesData = RandomBytes(random, 4 * (1 + round % 64));
    stored.profileData = records;
    ProfileStore store;
    store.Load(stored, cpu, kMaxProfiles);
    ASSERT_NO_FATAL_FAILURE(ExpectValid(store, kMaxProfiles)) << "round " << round;
  }
}

}  // namespace
}  // namespace pacetta
