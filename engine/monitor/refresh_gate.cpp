#include "engine/monitor/refresh_gate.h"

namespace pacetta {

bool RefreshGate::Admit(uint32_t nowMs, int32_t refreshIntervalMs) {
  if (last_) {
    const uint32_t elapsed = nowMs - *last_;  // modulo 2^32: the tick count wraps
    const int64_t needed = int64_t{refreshIntervalMs} - kToleranceMs;
    if (static_cast<int64_t>(elapsed) < needed) return false;
  }
  last_ = nowMs;
  return true;
}

}  // namespace pacetta
