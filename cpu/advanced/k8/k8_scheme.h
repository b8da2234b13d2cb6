#pragma once
#include <cstdint>

#include "cpu/advanced/k8/k8_cpu_setup.h"
#include "cpu/cpu_info.h"

namespace pacetta::k8 {

// "AMDK8.PSTMethod": bit 3 selects the official (stepped) FID path, bit 4 the half-FID
// tables. A processor's own value (its FID table, chosen at every start by
// SelectK8FidTable) follows from the stored code, its 100 MHz step capability and its
// highest FID.

// The code a scheme button stores for processor `cpu`: official(h, m), official(1, m),
// 16 or 0 by h, and 16.
uint32_t SchemeCode(Scheme scheme, const CpuInfo& cpu);
// The per-processor value `code` gives `cpu`.
uint32_t ProcessorScheme(uint32_t code, const CpuInfo& cpu);
// The button that shows a per-processor value.
Scheme SchemeOfProcessorValue(uint32_t value);

// The code to store when the user applies `scheme` over the stored `storedCode`: a
// button that gives the processor what the stored code already gives it keeps the stored
// code, so that applying unrelated settings never discards the performance-state table
// (on a part with 100 MHz steps both direct buttons give the same table, as do codes
// written by other versions).
uint32_t CodeToStore(Scheme scheme, uint32_t storedCode, const CpuInfo& cpu);

}  // namespace pacetta::k8
