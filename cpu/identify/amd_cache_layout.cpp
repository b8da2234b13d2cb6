#include "cpu/identify/amd_cache_layout.h"

#include <array>

#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"

namespace pacetta {

using identify::Bits;

namespace {

inline constexpr uint32_t kLevel1Leaf = 0x80000005u;
inline constexpr uint32_t kLevel2Leaf = 0x80000006u;

// Level-1 cache register: size in KB 31..24, ways 23..16 (0xFF = fully associative),
// lines per tag 15..8, line size 7..0.
CacheDescription Level1Cache(uint32_t reg) {
  return {Bits(reg, 31, 24), Bits(reg, 23, 16), Bits(reg, 15, 8), Bits(reg, 7, 0)};
}

}  // namespace

uint32_t TranslateAmdAssociativity(uint32_t code) {
  // Codes 0..15; the holes (3, 5, 7, 9) have no published way count here.
  static constexpr std::array<uint32_t, 16> kWays{0,  1, 2,  0,  4,  0,  8,   0,
                                                  16, 0, 32, 48, 64, 96, 128, 255};
  return code < kWays.size() ? kWays[code] : 0;
}

void DecodeAmdLevel1Caches(CpuInfo& info) {
  const platform::CpuidResult leaf = ExtendedLeaf(info, kLevel1Leaf);
  info.l1Data = Level1Cache(leaf.ecx);
  info.l1Instruction = Level1Cache(leaf.edx);
}

void DecodeAmdLevel1Tlbs4k(CpuInfo& info) {
  const uint32_t ebx = ExtendedLeaf(info, kLevel1Leaf).ebx;
  info.instructionTlb4k.level1Entries = Bits(ebx, 7, 0);
  info.instructionTlb4k.level1Associativity = Bits(ebx, 15, 8);
  info.dataTlb4k.level1Entries = Bits(ebx, 23, 16);
  info.dataTlb4k.level1Associativity = Bits(ebx, 31, 24);
}

void DecodeAmdLevel1TlbsLarge(CpuInfo& info) {
  const uint32_t eax = ExtendedLeaf(info, kLevel1Leaf).eax;
  // The counts are for 2 MB pages; a 4 MB page takes two entries, so the record keeps
  // half of each.
  info.instructionTlbLarge.level1Entries = Bits(eax, 7, 1);
  info.instructionTlbLarge.level1Associativity = Bits(eax, 15, 8);
  info.dataTlbLarge.level1Entries = Bits(eax, 23, 17);
  info.dataTlbLarge.level1Associativity = Bits(eax, 31, 24);
}

void DecodeAmdLevel2Tlbs(CpuInfo& info) {
  const platform::CpuidResult leaf = ExtendedLeaf(info, kLevel2Leaf);
  // Large pages, again halved from 2 MB to 4 MB entries.
  info.instructionTlbLarge.level2Entries = Bits(leaf.eax, 11, 1);
  info.instructionTlbLarge.level2Associativity = TranslateAmdAssociativity(Bits(leaf.eax, 15, 12));
  info.dataTlbLarge.level2Entries = Bits(leaf.eax, 27, 17);
  info.dataTlbLarge.level2Associativity = TranslateAmdAssociativity(Bits(leaf.eax, 31, 28));
  info.instructionTlb4k.level2Entries = Bits(leaf.ebx, 11, 0);
  info.instructionTlb4k.level2Associativity = TranslateAmdAssociativity(Bits(leaf.ebx, 15, 12));
  info.dataTlb4k.level2Entries = Bits(leaf.ebx, 27, 16);
  info.dataTlb4k.level2Associativity = TranslateAmdAssociativity(Bits(leaf.ebx, 31, 28));
}

void DecodeAmdLevel2Cache(CpuInfo& info) {
  const uint32_t ecx = ExtendedLeaf(info, kLevel2Leaf).ecx;
  info.l2 = {Bits(ecx, 31, 16), TranslateAmdAssociativity(Bits(ecx, 15, 12)), Bits(ecx, 11, 8),
             Bits(ecx, 7, 0)};
}

void DecodeAmdLevel3Cache(CpuInfo& info) {
  const uint32_t edx = ExtendedLeaf(info, kLevel2Leaf).edx;
  // The size comes in units of 512 KB.
  info.l3 = {Bits(edx, 31, 18) * 512, TranslateAmdAssociativity(Bits(edx, 15, 12)),
             Bits(edx, 11, 8), Bits(edx, 7, 0)};
}

void DecodeAmdCacheLayout(CpuInfo& info) {
  DecodeAmdLevel1Caches(info);
  DecodeAmdLevel1Tlbs4k(info);
  DecodeAmdLevel1TlbsLarge(info);
  DecodeAmdLevel2Tlbs(info);
  DecodeAmdLevel2Cache(info);
  DecodeAmdLevel3Cache(info);
}

}  // namespace pacetta
