#include "cpu/dump/sub_leaves.h"

#include <array>
#include <cstdio>

namespace pacetta {
namespace {

enum class End {
  kCacheType,   // EAX bits 4..0 = 0: no more caches
  kLevelType,   // ECX bits 15..8 = 0: no more topology levels
  kLeaf7Count,  // sub-leaf 0's EAX is the last sub-leaf
  kNonZero,     // every sub-leaf to the bound; empty ones are left out
};

struct SubLeafList {
  uint32_t leaf;
  uint32_t bound;  // the last sub-leaf ever listed
  End end;
};

constexpr std::array<SubLeafList, 6> kLists = {{
    {0x4, 15, End::kCacheType},
    {0x7, 7, End::kLeaf7Count},
    {0xB, 7, End::kLevelType},
    {0xD, 63, End::kNonZero},
    {0x1F, 7, End::kLevelType},
    {0x8000001D, 15, End::kCacheType},
}};

void Line(std::string& out, uint32_t leaf, uint32_t subLeaf, const platform::CpuidResult& r) {
  char line[96];
  const int length = std::snprintf(line, sizeof line, "%08X.%X\t%08X\t%08X\t%08X\t%08X\r\n", leaf,
                                   subLeaf, r.eax, r.ebx, r.ecx, r.edx);
  if (length > 0) out.append(line, static_cast<size_t>(length));
}

}  // namespace

void DumpSubLeaves(std::string& out, platform::CpuInstructions& cpu, uint32_t standardMax,
                   uint32_t extendedMax) {
  for (const SubLeafList& list : kLists) {
    const bool extended = (list.leaf & 0x80000000u) != 0;
    if (list.leaf > (extended ? extendedMax : standardMax)) continue;
    if (extended && extendedMax < 0x80000000u) continue;
    const platform::CpuidResult first = cpu.Cpuid(list.leaf, 0);
    if (list.end == End::kCacheType && (first.eax & 0x1F) == 0) continue;
    if (list.end == End::kLevelType && (first.ecx & 0xFF00) == 0) continue;
    const uint32_t last =
        list.end == End::kLeaf7Count && first.eax < list.bound ? first.eax : list.bound;
    for (uint32_t sub = 1; sub <= last; ++sub) {
      const platform::CpuidResult r = cpu.Cpuid(list.leaf, sub);
      if (list.end == End::kCacheType && (r.eax & 0x1F) == 0) break;
      if (list.end == End::kLevelType && (r.ecx & 0xFF00) == 0) break;
      if (list.end == End::kNonZero && r.eax == 0 && r.ebx == 0 && r.ecx == 0 && r.edx == 0)
        continue;
      Line(out, list.leaf, sub, r);
    }
  }
}

}  // namespace pacetta
