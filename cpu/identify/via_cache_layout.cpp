#include "cpu/identify/via_cache_layout.h"

#include "cpu/identify/amd_cache_layout.h"
#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"

namespace pacetta {

using identify::Bits;

bool UsesOldViaLevel2Layout(uint32_t signature) {
  return signature >= 0x670 && signature <= 0x68F;
}

void DecodeViaCacheLayout(CpuInfo& info) {
  DecodeAmdLevel1Caches(info);
  DecodeAmdLevel1Tlbs4k(info);
  if (!UsesOldViaLevel2Layout(GetSignature(info).raw)) {
    DecodeAmdLevel2Cache(info);
    return;
  }
  // Size in KB 31..24, associativity code 23..16, lines per tag 15..8, line size 7..0.
  const uint32_t ecx = ExtendedLeaf(info, 0x80000006u).ecx;
  info.l2 = {Bits(ecx, 31, 24), TranslateAmdAssociativity(Bits(ecx, 23, 16)), Bits(ecx, 15, 8),
             Bits(ecx, 7, 0)};
}

}  // namespace pacetta
