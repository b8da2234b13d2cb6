#pragma once
#include <cstdint>
#include <optional>

#include "engine/profiles/profile.h"

namespace pacetta::management {

// "TransitionsMethod": one position per decision, or straight to the farthest position
// whose threshold the load reaches.
inline constexpr int32_t kSingleStep = 0;
inline constexpr int32_t kMultiStep = 1;

// Positions in the two lists of a half; -1 = none yet.
struct ListPositions {
  int32_t state = -1;
  int32_t throttle = -1;
  bool operator==(const ListPositions&) const = default;
};

// Where the list positions sit on the half's ladder, and its last position.
struct Ladder {
  int32_t position = 0;
  int32_t last = 0;
};

// The ladder of `half` at `positions`. Nullopt (no change) when the half manages
// neither list, or when a position it would read lies outside its list: positions stored
// for another half mean nothing for this one.
std::optional<Ladder> LadderOf(const ProfileHalf& half, ListPositions positions);

// The list positions of ladder position `target`. With both lists the slowest state is
// throttled first: a target at or beyond the last throttle level runs that level with a
// faster state. A kind the half does not manage keeps its position.
ListPositions ListPositionsOf(const ProfileHalf& half, int32_t target, ListPositions current);

// Control periods a load must persist beyond the first before a move:
// round(interval / control period) - 1, so -1 and 0 both move in the first period.
int32_t IntervalLimit(int32_t intervalMs, int32_t controlIntervalMs);

struct DecisionLimits {
  int32_t up = 1;
  int32_t down = 1;
};

// Consecutive periods at or above the up threshold and at or below the down threshold;
// private to one deciding thread.
struct DecisionCounters {
  int32_t up = 0;
  int32_t down = 0;
};

// One control period's decision for a ladder position: the new position, or nullopt to
// stay. `load` is the combined load, 0..100. Up is judged before down from the same
// position, and a down move found after an up move replaces it. The thresholds are the
// half's precomputed table, so a period costs a few table reads.
std::optional<int32_t> DecidePosition(const ThresholdTable& thresholds, Ladder ladder, int32_t load,
                                      DecisionLimits limits, int32_t method,
                                      DecisionCounters& counters);

}  // namespace pacetta::management
