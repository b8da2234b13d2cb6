#include "cpu/identify/leaves.h"

#include <algorithm>

namespace pacetta {

void ReadIdentificationLeaves(CpuInfo& info, platform::CpuInstructions& cpu) {
  info.standardLeaves = {};
  info.extendedLeaves = {};

  const platform::CpuidResult leaf0 = cpu.Cpuid(0, 0);
  info.standardLeaves[0] = leaf0;
  const uint32_t lastStandard = std::min(leaf0.eax, kStandardLeafCount - 1);
  for (uint32_t leaf = 1; leaf <= lastStandard; ++leaf)
    info.standardLeaves[leaf] = cpu.Cpuid(leaf, 0);

  const platform::CpuidResult extended0 = cpu.Cpuid(kExtendedLeafBase, 0);
  // Processors without extended leaves answer with something below 0x80000000 (often
  // the data of their highest standard leaf); that answer must not pose as a range.
  if ((extended0.eax & kExtendedLeafBase) == 0) return;
  info.extendedLeaves[0] = extended0;
  const uint32_t lastExtended =
      std::min(extended0.eax & ~kExtendedLeafBase, kExtendedLeafCount - 1);
  for (uint32_t offset = 1; offset <= lastExtended; ++offset)
    info.extendedLeaves[offset] = cpu.Cpuid(kExtendedLeafBase + offset, 0);
}

platform::CpuidResult StandardLeaf(const CpuInfo& info, uint32_t leaf) {
  return leaf < kStandardLeafCount ? info.standardLeaves[leaf] : platform::CpuidResult{};
}

platform::CpuidResult ExtendedLeaf(const CpuInfo& info, uint32_t leaf) {
  if (leaf < kExtendedLeafBase || leaf - kExtendedLeafBase >= kExtendedLeafCount) return {};
  return info.extendedLeaves[leaf - kExtendedLeafBase];
}

uint32_t HighestStandardLeaf(const CpuInfo& info) {
  return info.standardLeaves[0].eax;
}

uint32_t HighestExtendedLeaf(const CpuInfo& info) {
  return info.extendedLeaves[0].eax;
}

CpuSignature GetSignature(const CpuInfo& info) {
  return CpuSignature{StandardLeaf(info, 1).eax};
}

}  // namespace pacetta
