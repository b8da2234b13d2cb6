#pragma once

#include "cpu/cpu_info.h"
#include "cpu/pstate/pstate_limits.h"

namespace pacetta {

// Rebuilds the record's candidate list from its limits: one ordinary state per offered
// FID from the lowest to the highest, and on Core 2 the SuperLFM state first and the
// dynamic-acceleration state last, as the processor reports them. Holds at most
// kMaxPStateCandidates states; FIDs without an index are skipped, and so are FIDs the
// part cannot reach (CanReachFid). On Core 2 pins the calling thread to the record's
// processor to read its states and leaves it there.
void BuildCandidateList(CpuInfo& cpu, PStateHardware& hardware);

// Whether the processor can ever run `fid` within its limits. A K8 enters a low FID
// (below 8) only from a high FID of its gateway set (BKDG for AMD NPT Family 0Fh, "FID
// transitions"), so a part whose highest FID lies below that set cannot: FID 4 needs
// 14, FID 6 needs 18. Every other FID, and every other family, counts as reachable.
bool CanReachFid(const CpuInfo& cpu, int32_t fid);

// At every settings load: chooses a K8's FID table from "AMDK8.PSTMethod" and rebuilds
// the candidate list from it, since the table decides which FIDs the list offers (a
// K8's list needs no register reads). Other families are left as they are.
void ApplyK8FidTable(CpuInfo& cpu, uint32_t pstMethod);

}  // namespace pacetta
