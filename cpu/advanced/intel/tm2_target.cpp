#include "cpu/advanced/intel/tm2_target.h"

#include <algorithm>
#include <limits>

#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/vid_conversion.h"

namespace pacetta::intel {
namespace {

// The ordinals from one end of a range to the other, whichever way its codes run.
void OrdinalSpan(int32_t a, int32_t b, int32_t& first, int32_t& count) {
  if (a < 0 || b < 0) {
    first = count = 0;
    return;
  }
  first = std::min(a, b);
  count = std::max(a, b) - first + 1;
}

int32_t ListIndex(int64_t code, int32_t first, int32_t count,
                  int32_t (*toOrdinal)(const CpuInfo&, int32_t), const CpuInfo& cpu) {
  if (code < 0 || code > std::numeric_limits<int32_t>::max()) return -1;
  const int32_t ordinal = toOrdinal(cpu, static_cast<int32_t>(code));
  if (ordinal < first || ordinal >= first + count) return -1;
  return ordinal - first;
}

}  // namespace

TargetLists TargetListsOf(const CpuInfo& cpu) {
  TargetLists lists;
  OrdinalSpan(FidToIndex(cpu, cpu.minFid), FidToIndex(cpu, cpu.maxFid), lists.firstFid,
              lists.fidCount);
  OrdinalSpan(VidToIndex(cpu, cpu.minVid), VidToIndex(cpu, cpu.maxVid), lists.firstVid,
              lists.vidCount);
  return lists;
}

std::vector<double> TargetMultipliers(const CpuInfo& cpu) {
  const TargetLists lists = TargetListsOf(cpu);
  std::vector<double> out;
  for (int32_t i = 0; i < lists.fidCount; ++i)
    out.push_back(FidIndexToMultiplier(cpu, lists.firstFid + i));
  return out;
}

std::vector<double> TargetVoltages(const CpuInfo& cpu) {
  const TargetLists lists = TargetListsOf(cpu);
  std::vector<double> out;
  for (int32_t i = 0; i < lists.vidCount; ++i)
    out.push_back(VidIndexToVoltage(cpu, lists.firstVid + i));
  return out;
}

int32_t FidListIndex(const CpuInfo& cpu, int64_t fid) {
  const TargetLists lists = TargetListsOf(cpu);
  const int32_t index = ListIndex(fid, lists.firstFid, lists.fidCount, FidToIndex, cpu);
  // A code that is no step of the encoding (Pentium M ratio 7) converts back to another.
  return index >= 0 && FidAtListIndex(cpu, index) == fid ? index : -1;
}

int32_t VidListIndex(const CpuInfo& cpu, int64_t vid) {
  const TargetLists lists = TargetListsOf(cpu);
  const int32_t index = ListIndex(vid, lists.firstVid, lists.vidCount, VidToIndex, cpu);
  return index >= 0 && VidAtListIndex(cpu, index) == vid ? index : -1;
}

int32_t FidAtListIndex(const CpuInfo& cpu, int32_t index) {
  const TargetLists lists = TargetListsOf(cpu);
  if (index < 0 || index >= lists.fidCount) return -1;
  return IndexToFid(cpu, lists.firstFid + index);
}

int32_t VidAtListIndex(const CpuInfo& cpu, int32_t index) {
  const TargetLists lists = TargetListsOf(cpu);
  if (index < 0 || index >= lists.vidCount) return -1;
  return IndexToVid(cpu, lists.firstVid + index);
}

bool TargetInLists(const CpuInfo& cpu, const Tm2Target& target) {
  return FidListIndex(cpu, target.fid) >= 0 && VidListIndex(cpu, target.vid) >= 0;
}

}  // namespace pacetta::intel
