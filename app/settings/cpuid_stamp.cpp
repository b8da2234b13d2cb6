#include "app/settings/cpuid_stamp.h"

#include <algorithm>

namespace pacetta {
namespace {

void AppendWord(std::vector<uint8_t>& bytes, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
}

void AppendLeaf(std::vector<uint8_t>& bytes, const platform::CpuidResult& leaf) {
  AppendWord(bytes, leaf.eax);
  AppendWord(bytes, leaf.ebx);
  AppendWord(bytes, leaf.ecx);
  AppendWord(bytes, leaf.edx);
}

}  // namespace

std::vector<uint8_t> BuildCpuidStamp(const CpuInfo& cpu) {
  const uint32_t standardCount = std::min(cpu.standardLeaves[0].eax, kStandardLeafCount - 1) + 1;
  // Identification clears leaf 0x80000000 on a processor without extended leaves, so its
  // highest extended leaf reads as 0 and one (zero) extended leaf is still stamped.
  const uint32_t extendedCount =
      std::min(cpu.extendedLeaves[0].eax & 0x7FFFFFFFu, kExtendedLeafCount - 1) + 1;
  std::vector<uint8_t> bytes;
  bytes.reserve((standardCount + extendedCount) * kCpuidStampLeafBytes);
  for (uint32_t leaf = 0; leaf < standardCount; ++leaf) AppendLeaf(bytes, cpu.standardLeaves[leaf]);
  for (uint32_t leaf = 0; leaf < extendedCount; ++leaf) AppendLeaf(bytes, cpu.extendedLeaves[leaf]);
  return bytes;
}

bool CpuidStampMatches(const std::vector<uint8_t>& stored, const CpuInfo& cpu) {
  return !stored.empty() && stored == BuildCpuidStamp(cpu);
}

}  // namespace pacetta
