#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

inline constexpr std::size_t kBrandStringSize = 48;

// The 48 bytes of leaves 0x80000002..0x80000004 (EAX, EBX, ECX, EDX of each), with the
// last byte forced to 0 so the text always ends. False, buffer untouched, when the
// processor has no brand string leaves.
bool GetBrandString(const CpuInfo& info, std::array<char, kBrandStringSize>& buffer);

// The 8-bit brand id (leaf 1 EBX bits 7..0), 0 without leaf 1.
uint32_t GetBrandId8(const CpuInfo& info);
// The extended brand id (leaf 0x80000001 EBX bits 15..0), 0 without extended leaves.
uint32_t GetExtendedBrandId(const CpuInfo& info);
// Row of the AMD brand table: from the 8-bit id when it is set, else from the extended
// id.
uint32_t GetBrandTableIndex(const CpuInfo& info);

}  // namespace pacetta
