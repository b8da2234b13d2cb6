#pragma once
#include <optional>

#include "cpu/cpu_info.h"

namespace pacetta {

// Core clock / time-stamp rate. The time-stamp counter runs at the core clock on AMD, on
// the Pentium M and older Intel parts; at the highest ratio on Core (half of the current
// ratio again in Super LFM), at the start ratio on a Pentium 4 from model 3; Transmeta
// reports the clock against its highest. nullopt when a multiplier it needs is unknown
// (0), so no measurement divides by it.
std::optional<double> FrequencyRatio(const CpuInfo& cpu);

// Whether the busy-cycle counter of the family is read for throttle and busy ratio.
inline bool HasBusyRatio(const CpuInfo& cpu) {
  return cpu.isAmdPowerNow || cpu.isIntelSupported;
}

}  // namespace pacetta
