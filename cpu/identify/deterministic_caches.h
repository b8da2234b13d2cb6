#pragma once

#include "cpu/cpu_info.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// Upper bound on leaf-4 sub-leaves, so a processor that never reports the terminating
// null cache type cannot hold identification in a loop.
inline constexpr uint32_t kMaxDeterministicCacheSubleaves = 32;

// Fills the caches from the deterministic cache parameters (leaf 4), executing its
// sub-leaves now on the calling thread's processor. The record has one description per
// level: level-1 data and instruction caches (a unified level-1 cache fills both), and
// the data or unified caches of levels 2 and 3; instruction-only caches of levels 2 and 3
// and levels beyond 3 have no field. Does nothing when the processor has no leaf 4.
void DecodeDeterministicCaches(CpuInfo& info, platform::CpuInstructions& cpu);

}  // namespace pacetta
