#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"

namespace pacetta {

// The processor stamp "CPUID": processor 0's identification leaves, 16 bytes per leaf
// (EAX, EBX, ECX, EDX, little-endian). The standard leaves 0..min(highest, 15) come
// first, then the extended leaves 0x80000000..0x80000000 + min(highest & 0x7FFFFFFF, 31);
// at most 48 leaves, 768 bytes.
inline constexpr size_t kCpuidStampLeafBytes = 16;

std::vector<uint8_t> BuildCpuidStamp(const CpuInfo& cpu);

// True when `stored` holds exactly the leaves `cpu` would stamp: the same length and
// every leaf equal in all four registers. An empty or cut stamp never matches.
bool CpuidStampMatches(const std::vector<uint8_t>& stored, const CpuInfo& cpu);

}  // namespace pacetta
