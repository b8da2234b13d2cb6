#pragma once
#include <cstdint>
#include <span>

#include "cpu/cpu_info.h"
#include "platform/platform.h"

namespace pacetta {

// Which processors share one clock and voltage control. Processors of one group have
// the same packageId; the second of a pair is the secondary. On AMD K8 the packageId is
// also the node number of the processor's northbridge.
struct ProcessorTopology {
  uint32_t packageId = 0;
  uint32_t isSecondary = 0;
};

// The program runs only when it may use every processor of the system.
bool AllProcessorsAvailable(platform::Processors& processors);
// The processors the program serves: the system's count, at most kMaxProcessors.
unsigned UsableProcessorCount(platform::Processors& processors);

// Decides the grouping of processor `k` from the identification leaves of the
// processor the calling thread runs on.
ProcessorTopology TopologyFromCpuid(platform::CpuInstructions& cpu, uint32_t k);
// Pins the calling thread to processor `k`, reads its topology there and unpins.
ProcessorTopology GetProcessorTopology(platform::Platform& platform, uint32_t k);

// Links each record to the lowest other record of its group with the opposite role, or
// -1. Records are in processor order: record j is processor j. A group holds a pair at
// most; a third member of the same role is nobody's partner.
void LinkPartners(std::span<CpuInfo> records);

// Start-up's topology pass: index, packageId and isSecondary of every record, then the
// partner links.
void AssignTopology(platform::Platform& platform, std::span<CpuInfo> records);

}  // namespace pacetta
