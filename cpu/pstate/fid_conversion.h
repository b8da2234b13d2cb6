#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// The FID index numbers the FIDs a processor offers from 0 upwards, in order of rising
// frequency and without gaps, whatever the family's encoding. A negative or unknown code
// or index converts to -1, or 0.0 for the multiplier; so does every code of a processor
// without a known FID encoding.
int32_t FidToIndex(const CpuInfo& cpu, int32_t fid);
int32_t IndexToFid(const CpuInfo& cpu, int32_t index);
double FidIndexToMultiplier(const CpuInfo& cpu, int32_t index);

}  // namespace pacetta
