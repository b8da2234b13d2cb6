#pragma once
#include <cstdint>
#include <vector>

#include "cpu/advanced/intel/thermal_registers.h"

namespace pacetta::intel {

// The TM2 target lists of a processor: every FID step from its minimal to its maximal FID
// and every VID step of its VID range, in the processor's own FID and VID ordinals. A
// list is empty when the processor's codes have no known encoding.
struct TargetLists {
  int32_t firstFid = 0, fidCount = 0;
  int32_t firstVid = 0, vidCount = 0;
};
TargetLists TargetListsOf(const CpuInfo& cpu);

// The entries shown: multipliers and volts.
std::vector<double> TargetMultipliers(const CpuInfo& cpu);
std::vector<double> TargetVoltages(const CpuInfo& cpu);

// A code's position in the processor's list, -1 when it lies outside; and back, -1 for a
// position outside the list.
int32_t FidListIndex(const CpuInfo& cpu, int64_t fid);
int32_t VidListIndex(const CpuInfo& cpu, int64_t vid);
int32_t FidAtListIndex(const CpuInfo& cpu, int32_t index);
int32_t VidAtListIndex(const CpuInfo& cpu, int32_t index);

// Both codes lie in the processor's lists: a target outside them is another processor's
// and is never written.
bool TargetInLists(const CpuInfo& cpu, const Tm2Target& target);

}  // namespace pacetta::intel
