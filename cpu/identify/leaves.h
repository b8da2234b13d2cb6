#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/identify/signature.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// Executes and stores the identification leaves on the processor the calling thread runs
// on: standard leaves 0..min(highest, 15) and extended leaves up to 0x8000001F. A
// processor without extended leaves keeps the extended block all zero, so it reports
// highest extended leaf 0. Every leaf runs with sub-leaf 0.
void ReadIdentificationLeaves(CpuInfo& info, platform::CpuInstructions& cpu);

// Stored leaves; a leaf the record cannot hold reads as zeros.
platform::CpuidResult StandardLeaf(const CpuInfo& info, uint32_t leaf);
platform::CpuidResult ExtendedLeaf(const CpuInfo& info, uint32_t leaf);

// Leaf 0 EAX and stored leaf 0x80000000 EAX.
uint32_t HighestStandardLeaf(const CpuInfo& info);
uint32_t HighestExtendedLeaf(const CpuInfo& info);

// Leaf 1 EAX; zero when the processor has no leaf 1.
CpuSignature GetSignature(const CpuInfo& info);

}  // namespace pacetta
