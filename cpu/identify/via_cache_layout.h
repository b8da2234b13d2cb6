#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// VIA C3 steppings 0x670..0x68F report their level-2 cache in the byte layout of the
// level-1 registers instead of AMD's level-2 layout.
bool UsesOldViaLevel2Layout(uint32_t signature);

// VIA's variant of the AMD layout: level-1 caches and 4 KB TLBs of leaf 0x80000005, and
// the level-2 cache of leaf 0x80000006 ECX. VIA reports no large-page or level-2 TLBs.
void DecodeViaCacheLayout(CpuInfo& info);

}  // namespace pacetta
