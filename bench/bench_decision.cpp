// One control period's decision on a full ladder: the target is well under a
// microsecond, since it reads a few entries of the precomputed threshold table.
#include <benchmark/benchmark.h>

#include "engine/management/combined_load.h"
#include "engine/management/decision.h"
#include "engine/profiles/thresholds.h"

namespace {

using namespace pacetta;

ProfileHalf LadderOfSixtyFourStates() {
  ProfileHalf half;
  RowMultipliers multipliers{};
  half.useFidVid = 1;
  half.lastState = kMaxStatesPerList - 1;
  for (int32_t i = 0; i < kMaxStatesPerList; ++i) {
    half.states[static_cast<size_t>(i)] = i;
    multipliers[static_cast<size_t>(i)] = 4.0 + 0.5 * i;
  }
  half.useThrottle = 1;
  half.lastThrottle = kMaxThrottlesPerList - 1;
  for (int32_t i = 0; i < kMaxThrottlesPerList; ++i) half.throttles[static_cast<size_t>(i)] = i + 1;
  DeriveThresholds(half, multipliers);
  return half;
}

void BM_DecisionStep(benchmark::State& state) {
  const ProfileHalf half = LadderOfSixtyFourStates();
  const std::array<int32_t, 4> loads{97, 35, 60, 12};
  management::DecisionCounters counters;
  management::ListPositions positions{20, half.lastThrottle};
  const int32_t method = static_cast<int32_t>(state.range(0));
  size_t period = 0;
  for (auto _ : state) {
    const int32_t load =
        management::CombinedLoad(management::kSumOfCoreLoads, loads, period++ & 1, 1);
    const auto ladder = management::LadderOf(half, positions);
    const auto target =
        management::DecidePosition(half.thresholds, *ladder, load, {0, 0}, method, counters);
    if (target) positions = management::ListPositionsOf(half, *target, positions);
    benchmark::DoNotOptimize(positions);
  }
}
BENCHMARK(BM_DecisionStep)->Arg(management::kSingleStep)->Arg(management::kMultiStep);

}  // namespace

BENCHMARK_MAIN();
