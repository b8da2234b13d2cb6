#include "engine/profiles/thresholds.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/profiles/test_processors.h"

namespace pacetta {
namespace {

// A table of enabled rows with the given FIDs, read on a Pentium M (multiplier = FID).
PStateTable TableOf(std::initializer_list<uint32_t> fids) {
  PStateTable table;
  for (uint32_t fid : fids) table.rows[static_cast<size_t>(++table.lastIndex)] = {fid, 20, 1, 0x20};
  return table;
}

ProfileHalf StatesHalf(std::initializer_list<int32_t> rows, int32_t target = 50) {
  ProfileHalf half;
  half.useFidVid = 1;
  for (int32_t row : rows) half.states[static_cast<size_t>(++half.lastState)] = row;
  half.targetLoad = target;
  return half;
}

TEST(Thresholds, RowsScaleTheTargetBySpeedRatioRoundingTiesToEven) {
  const CpuInfo cpu = testing::PentiumM();
  ProfileHalf half = StatesHalf({0, 1, 2});
  DeriveThresholds(half, TableOf({6, 8, 10}), cpu);
  const auto& t = half.thresholds;
  EXPECT_EQ(t[0][0], 50);
  EXPECT_EQ(t[0][1], 67);
  EXPECT_EQ(t[0][2], 83);
  EXPECT_EQ(t[1][0], 38);  // 37.5
  EXPECT_EQ(t[1][1], 50);
  EXPECT_EQ(t[1][2], 62);  // 62.5
  EXPECT_EQ(t[2][0], 30);
  EXPECT_EQ(t[2][1], 40);
  EXPECT_EQ(t[2][2], 50);
  // Beyond the ladder and beyond the last row everything stays unreachable.
  EXPECT_EQ(t[0][3], 200);
  EXPECT_EQ(t[3][0], 200);
}

TEST(Thresholds, FirstValueAbove98IsCappedAndTheRestOfTheRowUnreachable) {
  const CpuInfo cpu = testing::PentiumM();
  ProfileHalf half = StatesHalf({0, 1, 2});
  DeriveThresholds(half, TableOf({6, 14, 16}), cpu);
  EXPECT_EQ(half.thresholds[0][0], 50);
  EXPECT_EQ(half.thresholds[0][1], 98);  // round(116.7)
  EXPECT_EQ(half.thresholds[0][2], 200);
  EXPECT_EQ(half.thresholds[1][2], 57);
}

TEST(Thresholds, HalfRatioStateComparesAtHalfItsMultiplier) {
  const CpuInfo cpu = testing::Core2WithIda();
  PStateTable table;
  table.rows[0] = {12, 20, 1, kCandidateSuperLfm};  // flags 0x31: half ratio
  table.rows[1] = {6, 20, 1, kCandidateOrdinary};
  table.lastIndex = 1;
  const RowMultipliers multipliers = MultipliersOf(table, cpu);
  EXPECT_DOUBLE_EQ(multipliers[0], 6.0);
  ProfileHalf half = StatesHalf({0, 1});
  DeriveThresholds(half, multipliers);
  EXPECT_EQ(half.thresholds[0][1], 50);  // both run at 6x
}

TEST(Thresholds, ThrottlingThenStatesShareOneLadder) {
  const CpuInfo cpu = testing::PentiumM();
  const PStateTable table = TableOf({6, 10});
  ProfileHalf half = StatesHalf({0, 1});
  half.useThrottle = 1;
  half.lastThrottle = 1;
  half.throttles[0] = 4;
  half.throttles[1] = 8;
  const RowMultipliers multipliers = MultipliersOf(table, cpu);
  ASSERT_EQ(PositionCount(half), 3);
  EXPECT_DOUBLE_EQ(PositionSpeed(half, multipliers, 0), 24.0);
  EXPECT_DOUBLE_EQ(PositionSpeed(half, multipliers, 1), 48.0);
  EXPECT_DOUBLE_EQ(PositionSpeed(half, multipliers, 2), 80.0);
  EXPECT_DOUBLE_EQ(PositionSpeed(half, multipliers, 3), 0.0);
  DeriveThresholds(half, multipliers);
  EXPECT_EQ(half.thresholds[0][1], 98);  // 100 capped
  EXPECT_EQ(half.thresholds[1][2], 83);
  EXPECT_EQ(half.thresholds[2][0], 15);

  // Switched-off states leave the throttle levels as the whole ladder.
  half.useFidVid = 0;
  EXPECT_EQ(PositionCount(half), 2);
  EXPECT_DOUBLE_EQ(PositionSpeed(half, multipliers, 1), 8.0);
}

TEST(Thresholds, UnmanagedHalfIsUnreachableEverywhere) {
  const CpuInfo cpu = testing::PentiumM();
  ProfileHalf half = StatesHalf({0, 1});
  half.useFidVid = 0;
  half.thresholds[0][0] = 7;
  DeriveThresholds(half, TableOf({6, 8}), cpu);
  for (const auto& row : half.thresholds)
    for (int32_t value : row) ASSERT_EQ(value, 200);
}

TEST(Thresholds, PositionWithoutSpeedNeverDividesByZero) {
  const CpuInfo cpu = testing::PentiumM();
  // FID 70 has no multiplier on a Pentium M; row 5 lies outside the table.
  ProfileHalf half = StatesHalf({0, 1, 5});
  DeriveThresholds(half, TableOf({70, 8}), cpu);
  for (int32_t j = 0; j < kMaxPositions; ++j) EXPECT_EQ(half.thresholds[0][j], 200);
  EXPECT_EQ(half.thresholds[1][0], 0);  // towards a position of no speed
  EXPECT_EQ(half.thresholds[1][1], 50);
  EXPECT_EQ(half.thresholds[1][2], 0);
  for (int32_t j = 0; j < kMaxPositions; ++j) EXPECT_EQ(half.thresholds[2][j], 200);
}

TEST(Thresholds, FullLadderOf71PositionsFitsTheTable) {
  const CpuInfo cpu = testing::PentiumM();
  PStateTable table;
  for (int32_t i = 0; i < kMaxPStates; ++i) table.rows[static_cast<size_t>(i)] = {16, 20, 1, 0};
  table.lastIndex = kMaxPStates - 1;
  ProfileHalf half;
  half.useFidVid = 1;
  half.useThrottle = 1;
  half.lastState = kMaxStatesPerList - 1;
  for (int32_t i = 0; i < kMaxStatesPerList; ++i) half.states[static_cast<size_t>(i)] = i;
  half.lastThrottle = kMaxThrottlesPerList - 1;
  for (int32_t i = 0; i < kMaxThrottlesPerList; ++i) half.throttles[static_cast<size_t>(i)] = i + 1;
  ASSERT_EQ(PositionCount(half), 71);
  DeriveThresholds(half, table, cpu);
  EXPECT_EQ(half.thresholds[70][70], 50);
  EXPECT_EQ(half.thresholds[70][0], 6);  // 50 x 1/8
  EXPECT_EQ(half.thresholds[71][71], 200);
}

}  // namespace
}  // namespace pacetta
