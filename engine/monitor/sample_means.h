#pragma once
#include <span>

#include "engine/monitor/cpu_sample.h"

namespace pacetta {

// Arithmetic means over all processors. Processors whose processor load or temperature
// is not available (negative) are left out of that mean rather than pulling it down; a
// mean without any available value is not available. The operating-system load is
// always available (0 when unknown).
SampleMeans ComputeMeans(std::span<const CpuSample> samples);

}  // namespace pacetta
