#include "cpu/identify/brand.h"

#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"

namespace pacetta {

using identify::Bits;

bool GetBrandString(const CpuInfo& info, std::array<char, kBrandStringSize>& buffer) {
  if (HighestExtendedLeaf(info) < 0x80000004u) return false;
  std::size_t offset = 0;
  for (uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
    const platform::CpuidResult result = ExtendedLeaf(info, leaf);
    for (uint32_t word : {result.eax, result.ebx, result.ecx, result.edx}) {
      // The characters sit in each register lowest byte first.
      for (int byte = 0; byte < 4; ++byte)
        buffer[offset++] = static_cast<char>(Bits(word, byte * 8 + 7, byte * 8));
    }
  }
  buffer[kBrandStringSize - 1] = '\0';
  return true;
}

uint32_t GetBrandId8(const CpuInfo& info) {
  return HighestStandardLeaf(info) >= 1 ? Bits(StandardLeaf(info, 1).ebx, 7, 0) : 0;
}

uint32_t GetExtendedBrandId(const CpuInfo& info) {
  return HighestExtendedLeaf(info) != 0 ? Bits(ExtendedLeaf(info, 0x80000001u).ebx, 15, 0) : 0;
}

uint32_t GetBrandTableIndex(const CpuInfo& info) {
  const uint32_t brandId8 = GetBrandId8(info);
  if (brandId8 != 0) return (brandId8 >> 5) & 7;
  return (GetExtendedBrandId(info) >> 6) & 0x3F;
}

}  // namespace pacetta
