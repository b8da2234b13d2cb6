#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"
#include "platform/registry.h"

namespace pacetta {

// The program-wide hardware switches of the settings key, each a 32-bit value; a missing
// value keeps its default. "IntelCore2.CpuType" outside -1..1 reads as -1 (detect).
HardwareSwitches ReadHardwareSwitches(platform::RegistryKey& key);

// "CpuTempOffset": byte k is the signed offset in degrees of processor k. At most
// kMaxProcessors bytes are kept; a missing value reads as no bytes.
std::vector<uint8_t> ReadTempOffsets(platform::RegistryKey& key);

// The offset of processor k: its own byte, else the last stored byte, else 0.
int8_t TempOffsetFor(const std::vector<uint8_t>& offsets, unsigned k);

}  // namespace pacetta
