#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// Ways of an associativity code of leaf 0x80000006 (AMD's published encoding);
// 255 = fully associative, 0 for disabled and unassigned codes.
uint32_t TranslateAmdAssociativity(uint32_t code);

// Pieces of the AMD layout of leaves 0x80000005 and 0x80000006, each filling only the
// fields it names from the stored leaves.
void DecodeAmdLevel1Caches(CpuInfo& info);     // 0x80000005 ECX, EDX
void DecodeAmdLevel1Tlbs4k(CpuInfo& info);     // 0x80000005 EBX
void DecodeAmdLevel1TlbsLarge(CpuInfo& info);  // 0x80000005 EAX
void DecodeAmdLevel2Tlbs(CpuInfo& info);       // 0x80000006 EAX, EBX
void DecodeAmdLevel2Cache(CpuInfo& info);      // 0x80000006 ECX
void DecodeAmdLevel3Cache(CpuInfo& info);      // 0x80000006 EDX

// The whole AMD layout (also used by Transmeta).
void DecodeAmdCacheLayout(CpuInfo& info);

}  // namespace pacetta
