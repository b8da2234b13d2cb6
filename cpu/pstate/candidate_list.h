#pragma once

#include "cpu/cpu_info.h"
#include "cpu/pstate/pstate_limits.h"

namespace pacetta {

// Rebuilds the record's candidate list from its limits: one ordinary state per offered
// FID from the lowest to the highest, and on Core 2 the SuperLFM state first and the
// dynamic-acceleration state last, as the processor reports them. Holds at most
// kMaxPStateCandidates states; FIDs without an index are skipped. On Core 2 pins the
// calling thread to the record's processor to read its states and leaves it there.
void BuildCandidateList(CpuInfo& cpu, PStateHardware& hardware);

}  // namespace pacetta
