#pragma once
// Where the default performance-state list comes from: the firmware's PowerNow! block,
// the built-in operating-point tables, or interpolation. Each answers its states slowest
// first, as default entries (enabled, flags 20h); nullopt when it has nothing for the
// processor.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

PState DefaultEntry(uint32_t fid, uint32_t vid);

// The states of the first processor entry of the first PowerNow! block, whatever
// processor that entry describes. The block is looked for on 16-byte boundaries; a count
// whose pairs reach past the copy, or beyond the list's capacity, is cut.
std::optional<std::vector<PState>> FindFirmwareStates(std::span<const uint8_t> firmware);

// The AMD K8 table: the first row for the processor's signature, brand, highest state and
// start-up state.
std::optional<std::vector<PState>> LookUpK8OperatingPoints(const CpuInfo& cpu);

// The Pentium M table: the first group that spans the processor's lowest and highest
// ratio with one voltage column that holds its lowest and highest VID.
std::optional<std::vector<PState>> LookUpPentiumMOperatingPoints(const CpuInfo& cpu);

// One state per FID index from the lowest to the highest FID, the voltage interpolated
// linearly in the multiplier between the lowest and the highest VID.
std::vector<PState> InterpolateStates(const CpuInfo& cpu);

}  // namespace pacetta
