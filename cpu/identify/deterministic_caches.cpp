#include "cpu/identify/deterministic_caches.h"

#include <limits>

#include "cpu/identify/bits.h"
#include "cpu/identify/intel_descriptors.h"
#include "cpu/identify/leaves.h"

namespace pacetta {

using identify::Bit;
using identify::Bits;

namespace {

inline constexpr uint32_t kDeterministicCacheLeaf = 4;

// Cache type field of leaf 4 EAX bits 4..0.
enum CacheType : uint32_t {
  kNullCache = 0,
  kDataCache = 1,
  kInstructionCache = 2,
  kUnifiedCache = 3
};

// Size = ways * partitions * line size * sets, in KB; the factors are up to 10, 10, 12
// and 32 bits wide, so the product saturates instead of wrapping.
uint32_t SizeKb(uint64_t bytesPerSet, uint64_t sets) {
  constexpr uint64_t kMaxKb = std::numeric_limits<uint32_t>::max();
  if (bytesPerSet != 0 && sets > std::numeric_limits<uint64_t>::max() / bytesPerSet) return kMaxKb;
  const uint64_t kb = bytesPerSet * sets / 1024;
  return kb > kMaxKb ? static_cast<uint32_t>(kMaxKb) : static_cast<uint32_t>(kb);
}

CacheDescription Describe(const platform::CpuidResult& leaf) {
  const uint32_t ways = Bits(leaf.ebx, 31, 22) + 1;
  const uint32_t partitions = Bits(leaf.ebx, 21, 12) + 1;
  const uint32_t lineSize = Bits(leaf.ebx, 11, 0) + 1;
  const uint64_t sets = uint64_t{leaf.ecx} + 1;
  const bool fullyAssociative = Bit(leaf.eax, 9);
  // Lines that share one tag are the cache's physical line partitions.
  return {SizeKb(uint64_t{ways} * partitions * lineSize, sets),
          fullyAssociative ? kFullyAssociative : ways, partitions, lineSize};
}

}  // namespace

void DecodeDeterministicCaches(CpuInfo& info, platform::CpuInstructions& cpu) {
  if (HighestStandardLeaf(info) < kDeterministicCacheLeaf) return;
  for (uint32_t subleaf = 0; subleaf < kMaxDeterministicCacheSubleaves; ++subleaf) {
    const platform::CpuidResult leaf = cpu.Cpuid(kDeterministicCacheLeaf, subleaf);
    const uint32_t type = Bits(leaf.eax, 4, 0);
    if (type == kNullCache) return;
    const uint32_t level = Bits(leaf.eax, 7, 5);
    const CacheDescription cache = Describe(leaf);
    const bool holdsData = type == kDataCache || type == kUnifiedCache;
    if (level == 1) {
      if (holdsData) info.l1Data = cache;
      if (type == kInstructionCache || type == kUnifiedCache) info.l1Instruction = cache;
    } else if (level == 2 && holdsData) {
      info.l2 = cache;
    } else if (level == 3 && holdsData) {
      info.l3 = cache;
    }
  }
}

}  // namespace pacetta
