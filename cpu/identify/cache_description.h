#pragma once

#include "cpu/cpu_info.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// Clears the cache and TLB description and fills it from the stored leaves in the
// vendor's layout: AMD's leaves 0x80000005/6 (AMD, Transmeta), Intel's leaf-2
// descriptors (Intel), VIA's variant (VIA); other vendors get leaf 2 when they have it,
// then AMD's layout when they have leaf 0x80000006. `cpu` runs the leaves that
// descriptor FFH defers to, on the calling thread's processor.
void DescribeCaches(CpuInfo& info, platform::CpuInstructions& cpu);

}  // namespace pacetta
