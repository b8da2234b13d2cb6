#pragma once

#include "cpu/cpu_info.h"
#include "cpu/identify/intel_descriptors.h"
#include "cpu/identify/signature.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// Writes what one descriptor says into the record. A later descriptor for the same cache
// or TLB replaces an earlier one; descriptors without a place in the record change
// nothing. The signature decides descriptor 49H.
void ApplyIntelDescriptor(CpuInfo& info, const IntelDescriptor& descriptor, CpuSignature signature);

// Decodes the descriptor bytes of the stored leaf 2: registers whose bit 31 is clear,
// bytes from the highest to the lowest, skipping the repeat count in EAX byte 0. Unknown
// bytes change nothing. Descriptor FFH brings in the deterministic cache parameters of
// leaf 4, executed now on the calling thread's processor.
void DecodeLeaf2Descriptors(CpuInfo& info, platform::CpuInstructions& cpu);

}  // namespace pacetta
