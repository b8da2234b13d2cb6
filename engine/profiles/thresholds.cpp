#include "engine/profiles/thresholds.h"

#include <cmath>

#include "cpu/pstate/fid_conversion.h"

namespace pacetta {

RowMultipliers MultipliersOf(const PStateTable& table, const CpuInfo& cpu) {
  RowMultipliers multipliers{};
  for (size_t i = 0; i < table.rows.size(); ++i) {
    // Rows past the table's end hold no state.
    const PState* state = table.Row(static_cast<int32_t>(i));
    if (state == nullptr) continue;
    const PState& row = *state;
    const int32_t fid = row.fid > 0xFFFF ? -1 : static_cast<int32_t>(row.fid);
    double multiplier = FidIndexToMultiplier(cpu, FidToIndex(cpu, fid));
    // A SuperLFM state runs at half the bus ratio its FID names.
    if (IsHalfRatio(row)) multiplier /= 2.0;
    multipliers[i] = multiplier;
  }
  return multipliers;
}

int32_t PositionCount(const ProfileHalf& half) {
  const bool states = ManagesStates(half);
  const bool throttle = ManagesThrottle(half);
  if (states && throttle) return half.lastThrottle + half.lastState + 1;
  if (states) return half.lastState + 1;
  if (throttle) return half.lastThrottle + 1;
  return 0;
}

namespace {

double StateMultiplier(const ProfileHalf& half, const RowMultipliers& multipliers, int32_t entry) {
  if (entry < 0 || entry > half.lastState || entry >= kMaxStatesPerList) return 0.0;
  const int32_t row = half.states[static_cast<size_t>(entry)];
  if (row < 0 || row >= static_cast<int32_t>(multipliers.size())) return 0.0;
  return multipliers[static_cast<size_t>(row)];
}

double ThrottleLevel(const ProfileHalf& half, int32_t entry) {
  if (entry < 0 || entry > half.lastThrottle || entry >= kMaxThrottlesPerList) return 0.0;
  const int32_t level = half.throttles[static_cast<size_t>(entry)];
  if (level < kLowestThrottleLevel || level > kNoThrottling) return 0.0;
  return level;
}

}  // namespace

double PositionSpeed(const ProfileHalf& half, const RowMultipliers& multipliers, int32_t position) {
  if (position < 0 || position >= PositionCount(half)) return 0.0;
  const bool states = ManagesStates(half);
  const bool throttle = ManagesThrottle(half);
  if (states && throttle) {
    // The slowest state is throttled first; then the states rise at full throttle level.
    if (position <= half.lastThrottle)
      return ThrottleLevel(half, position) * StateMultiplier(half, multipliers, 0);
    return ThrottleLevel(half, half.lastThrottle) *
           StateMultiplier(half, multipliers, position - half.lastThrottle);
  }
  if (states) return StateMultiplier(half, multipliers, position);
  return ThrottleLevel(half, position);
}

void DeriveThresholds(ProfileHalf& half, const RowMultipliers& multipliers) {
  half.thresholds = ProfileHalf::UnreachableThresholds();
  const int32_t count = std::min(PositionCount(half), kMaxPositions);
  std::array<double, kMaxPositions> speed{};
  for (int32_t p = 0; p < count; ++p)
    speed[static_cast<size_t>(p)] = PositionSpeed(half, multipliers, p);

  for (int32_t i = 0; i < count; ++i) {
    const double own = speed[static_cast<size_t>(i)];
    // A position without a known speed cannot be compared with any other.
    if (own <= 0.0) continue;
    auto& row = half.thresholds[static_cast<size_t>(i)];
    for (int32_t j = 0; j < count; ++j) {
      // Rounds to nearest with ties to even (the default floating-point rounding mode).
      const double load = std::nearbyint(half.targetLoad * speed[static_cast<size_t>(j)] / own);
      if (load > kHighestUpThreshold) {
        row[static_cast<size_t>(j)] = kHighestUpThreshold;
        break;
      }
      row[static_cast<size_t>(j)] = static_cast<int32_t>(load);
    }
  }
}

void DeriveThresholds(ProfileHalf& half, const PStateTable& table, const CpuInfo& cpu) {
  DeriveThresholds(half, MultipliersOf(table, cpu));
}

}  // namespace pacetta
