#pragma once
#include <array>
#include <cstdint>

#include "cpu/cpu_info.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The multiplier each table row runs at (its FID's multiplier, halved for a half-ratio
// state); 0.0 for a FID without a multiplier.
using RowMultipliers = std::array<double, kMaxPStates + 1>;
RowMultipliers MultipliersOf(const PStateTable& table, const CpuInfo& cpu);

// Number of positions on the half's ladder: states only lastState + 1, throttling only
// lastThrottle + 1, both lastThrottle + lastState + 1 (the slowest state is throttled
// first, then the states rise at the last throttle level); 0 when unmanaged.
int32_t PositionCount(const ProfileHalf& half);

// Relative speed of a position: multiplier x throttle level. 0.0 for a position outside
// the ladder or one whose state index or level lies outside its table.
double PositionSpeed(const ProfileHalf& half, const RowMultipliers& multipliers, int32_t position);

// Rebuilds half.thresholds: T[i][j] = round(targetLoad x speed(j) / speed(i)), ties to
// even, along each row until the first value above 98, which is stored as 98; every other
// entry is 200. A row whose own speed is 0 stays at 200.
void DeriveThresholds(ProfileHalf& half, const RowMultipliers& multipliers);
void DeriveThresholds(ProfileHalf& half, const PStateTable& table, const CpuInfo& cpu);

}  // namespace pacetta
