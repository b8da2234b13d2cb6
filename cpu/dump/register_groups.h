#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"

namespace pacetta {

// The model-specific registers the dump lists for a processor: every group its family
// flags select, in a fixed group order (a register may appear in more than one group).
std::vector<uint32_t> DumpedRegisters(const CpuInfo& cpu);

}  // namespace pacetta
