#include "engine/management/decision.h"

#include <algorithm>
#include <cmath>

namespace pacetta::management {
namespace {

// Thresholds of the ladder's ends that no load (0..100) can reach.
constexpr int32_t kNoUpMove = 200;
constexpr int32_t kNoDownMove = -200;

bool Within(int32_t position, int32_t last) {
  return position >= 0 && position <= last;
}

}  // namespace

std::optional<Ladder> LadderOf(const ProfileHalf& half, ListPositions positions) {
  const bool states = ManagesStates(half);
  const bool throttle = ManagesThrottle(half);
  if (states && throttle) {
    if (!Within(positions.state, half.lastState) || !Within(positions.throttle, half.lastThrottle))
      return std::nullopt;
    const int32_t position = positions.throttle < half.lastThrottle
                                 ? positions.throttle
                                 : half.lastThrottle + positions.state;
    return Ladder{position, half.lastThrottle + half.lastState};
  }
  if (states) {
    if (!Within(positions.state, half.lastState)) return std::nullopt;
    return Ladder{positions.state, half.lastState};
  }
  if (throttle) {
    if (!Within(positions.throttle, half.lastThrottle)) return std::nullopt;
    return Ladder{positions.throttle, half.lastThrottle};
  }
  return std::nullopt;
}

ListPositions ListPositionsOf(const ProfileHalf& half, int32_t target, ListPositions current) {
  const bool states = ManagesStates(half);
  const bool throttle = ManagesThrottle(half);
  if (states && throttle) {
    if (target >= half.lastThrottle) return {target - half.lastThrottle, half.lastThrottle};
    return {0, target};
  }
  if (states) return {target, current.throttle};
  if (throttle) return {current.state, target};
  return current;
}

int32_t IntervalLimit(int32_t intervalMs, int32_t controlIntervalMs) {
  const double periods =
      static_cast<double>(intervalMs) / static_cast<double>(std::max(controlIntervalMs, 1));
  return static_cast<int32_t>(std::lround(periods)) - 1;
}

std::optional<int32_t> DecidePosition(const ThresholdTable& t, Ladder ladder, int32_t load,
                                      DecisionLimits limits, int32_t method,
                                      DecisionCounters& counters) {
  const int32_t pos = ladder.position;
  const int32_t last = std::min(ladder.last, kMaxPositions - 1);
  if (pos < 0 || pos > last) return std::nullopt;
  const auto& row = t[static_cast<size_t>(pos)];
  const int32_t up = pos < last ? row[static_cast<size_t>(pos + 1)] : kNoUpMove;
  const int32_t down = pos > 0 ? row[static_cast<size_t>(pos - 1)] : kNoDownMove;
  std::optional<int32_t> target;

  if (load >= up) {
    if (counters.up >= limits.up) {
      int32_t to = pos + 1;
      if (method == kMultiStep) {
        while (to <= last && load >= row[static_cast<size_t>(to)]) ++to;
        --to;  // the farthest position whose threshold the load reaches
      }
      target = std::min(to, last);
      counters.up = 0;
    } else {
      ++counters.up;
    }
  } else {
    counters.up = 0;
  }

  if (load <= down) {
    if (counters.down >= limits.down) {
      int32_t to = pos - 1;
      if (method == kMultiStep) {
        while (to >= 0 && load <= row[static_cast<size_t>(to)]) --to;
        ++to;  // the lowest position whose threshold is still at or above the load
      }
      target = std::max(to, 0);
      counters.down = 0;
    } else {
      ++counters.down;
    }
  } else {
    counters.down = 0;
  }
  return target;
}

}  // namespace pacetta::management
