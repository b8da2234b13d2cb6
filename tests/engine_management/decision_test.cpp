// The decision of one control period and the ladder it walks.
#include "engine/management/decision.h"

#include <gtest/gtest.h>

#include "engine/management/combined_load.h"
#include "engine/profiles/thresholds.h"

namespace pacetta::management {
namespace {

// A half listing states of the given multipliers (table rows 0..n-1), target 50.
ProfileHalf StatesHalf(const std::vector<double>& multipliers) {
  ProfileHalf half;
  RowMultipliers rows{};
  half.useFidVid = 1;
  half.lastState = static_cast<int32_t>(multipliers.size()) - 1;
  for (size_t i = 0; i < multipliers.size(); ++i) {
    half.states[i] = static_cast<int32_t>(i);
    rows[i] = multipliers[i];
  }
  DeriveThresholds(half, rows);
  return half;
}

struct Period {
  explicit Period(const ProfileHalf& h, int32_t m = kSingleStep) : half(h), method(m) {}
  const ProfileHalf& half;
  int32_t method;
  DecisionLimits limits{0, 0};
  DecisionCounters counters;
  std::optional<int32_t> Run(int32_t position, int32_t load) {
    return DecidePosition(half.thresholds, *LadderOf(half, {position, -1}), load, limits, method,
                          counters);
  }
};

TEST(IntervalLimit, CountsPeriodsBeyondTheFirst) {
  EXPECT_EQ(IntervalLimit(200, 100), 1);
  EXPECT_EQ(IntervalLimit(40, 100), -1);
  EXPECT_EQ(IntervalLimit(150, 100), 1);  // 1.5 rounds away from zero
  EXPECT_EQ(IntervalLimit(200, 0), 199);  // a zero period counts as 1 ms, never a division by 0
}

TEST(Decision, UpLimitOneNeedsTwoConsecutivePeriods) {
  const ProfileHalf half = StatesHalf({6, 8, 10});  // row 0: 50, 67, 83
  Period period(half);
  period.limits = {IntervalLimit(200, 100), 0};
  EXPECT_FALSE(period.Run(0, 70));
  EXPECT_EQ(period.Run(0, 70), 1);
  // A period below the threshold starts the count again.
  EXPECT_FALSE(period.Run(0, 70));
  EXPECT_FALSE(period.Run(0, 60));
  EXPECT_FALSE(period.Run(0, 70));
  EXPECT_EQ(period.Run(0, 70), 1);
}

TEST(Decision, NegativeLimitMovesInTheFirstPeriod) {
  const ProfileHalf half = StatesHalf({6, 8, 10});
  Period period(half);
  period.limits = {IntervalLimit(40, 100), IntervalLimit(40, 100)};
  EXPECT_EQ(period.Run(0, 70), 1);
  EXPECT_EQ(period.Run(2, 10), 1);
}

TEST(Decision, ExactThresholdsCountAsReached) {
  const ProfileHalf half = StatesHalf({6, 8, 10});  // row 1: 38, 50, 62
  Period period(half);
  EXPECT_EQ(period.Run(1, 62), 2);
  EXPECT_EQ(period.Run(1, 38), 0);
  EXPECT_FALSE(period.Run(1, 61));
  EXPECT_FALSE(period.Run(1, 39));
}

TEST(Decision, EndsOfTheLadderNeverMoveOutward) {
  const ProfileHalf half = StatesHalf({6, 8, 10});
  Period period(half);
  EXPECT_FALSE(period.Run(2, 100));  // the up threshold of the fastest position is 200
  EXPECT_FALSE(period.Run(0, 0));    // the down threshold of position 0 is -200
  EXPECT_EQ(period.counters.up, 0);
  EXPECT_EQ(period.counters.down, 0);
}

TEST(Decision, MultiStepJumpsToTheFarthestReachedThreshold) {
  const ProfileHalf half = StatesHalf({6, 8, 10});  // thresholds 67 and 83 from position 0
  Period single(half);
  EXPECT_EQ(single.Run(0, 90), 1);
  Period multi(half, kMultiStep);
  EXPECT_EQ(multi.Run(0, 90), 2);
  EXPECT_EQ(multi.Run(0, 70), 1);
  // Down from the fastest: row 2 is 30, 40, 50.
  EXPECT_EQ(multi.Run(2, 20), 0);
  EXPECT_EQ(multi.Run(2, 35), 1);
}

TEST(Decision, MultiStepStopsAtTheCappedColumn) {
  // Multipliers 6 and 14 and 20: T[0][1] is capped at 98, T[0][2] stays unreachable.
  const ProfileHalf half = StatesHalf({6, 14, 20});
  Period multi(half, kMultiStep);
  EXPECT_FALSE(multi.Run(0, 97));
  EXPECT_EQ(multi.Run(0, 100), 1);
}

TEST(Decision, PositionsOutsideTheListsMeanNoChange) {
  const ProfileHalf half = StatesHalf({6, 8, 10});
  EXPECT_FALSE(LadderOf(half, {3, -1}));
  EXPECT_FALSE(LadderOf(half, {-1, -1}));
  EXPECT_FALSE(LadderOf(ProfileHalf{}, {0, 0}));  // nothing managed
}

TEST(Ladder, BothListsThrottleTheSlowestStateFirst) {
  ProfileHalf half;
  half.useFidVid = 1;
  half.lastState = 1;
  half.useThrottle = 1;
  half.lastThrottle = 1;  // levels 4, 8
  const auto at = [&](int32_t state, int32_t throttle) {
    return LadderOf(half, {state, throttle})->position;
  };
  EXPECT_EQ(at(0, 0), 0);
  EXPECT_EQ(at(0, 1), 1);
  EXPECT_EQ(at(1, 1), 2);
  EXPECT_EQ(LadderOf(half, {0, 0})->last, 2);
  EXPECT_EQ(ListPositionsOf(half, 0, {}), (ListPositions{0, 0}));
  EXPECT_EQ(ListPositionsOf(half, 1, {}), (ListPositions{0, 1}));
  EXPECT_EQ(ListPositionsOf(half, 2, {}), (ListPositions{1, 1}));
  // One list only: the other kind keeps its position.
  half.useThrottle = 0;
  EXPECT_EQ(ListPositionsOf(half, 1, {0, 5}), (ListPositions{1, 5}));
}

TEST(CombinedLoad, CoreAndSystemMethods) {
  const std::vector<int32_t> pair{51, 50};
  EXPECT_EQ(CombinedLoad(kMaxOfCoreLoads, pair, 0, 1), 51);
  EXPECT_EQ(CombinedLoad(kAverageOfCoreLoads, pair, 0, 1), 50);
  EXPECT_EQ(CombinedLoad(kAverageOfCoreLoads, pair, 0, -1), 51);  // no sibling: own load
  EXPECT_EQ(CombinedLoad(kSumOfCoreLoads, pair, 0, 1), 100);      // 101 capped
  const std::vector<int32_t> four{40, 40, 40, 41};
  EXPECT_EQ(CombinedLoad(kSumOfAllLoads, four, 0, -1), 100);
  EXPECT_EQ(CombinedLoad(kAverageOfAllLoads, four, 0, -1), 40);  // 40.25 to nearest
  EXPECT_EQ(CombinedLoad(kMaxOfAllLoads, four, 0, -1), 41);
  EXPECT_EQ(CombinedLoad(kAverageOfAllLoads, std::vector<int32_t>{1, 2}, 0, -1), 2);  // 1.5
}

}  // namespace
}  // namespace pacetta::management
