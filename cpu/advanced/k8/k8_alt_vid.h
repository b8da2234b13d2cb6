#pragma once
#include <cstdint>
#include <optional>

#include "cpu/cpu_info.h"

namespace pacetta::k8 {

// Revisions E, F and G (extended model 2..7 or 12) have the alternate VID: a voltage the
// part drops to in the low-power states whose mode byte enables it.
bool IsAltVidProcessor(const CpuInfo& cpu);

// The "Alternate VID:" list: every VID of the processor's range by VID index (rising
// voltage), from the first (the lowest voltage) on.
struct AltVidRange {
  int32_t firstIndex = 0;
  uint32_t count = 0;
};
AltVidRange AltVidRangeOf(const CpuInfo& cpu);
// The list position of VID `code`; none when the code lies outside the list.
std::optional<uint32_t> AltVidListIndex(const CpuInfo& cpu, int32_t code);
// The code of list position `index`; -1 outside the list.
int32_t AltVidCode(const CpuInfo& cpu, uint32_t index);

// "Auto-adjust": the stabilisation time the supply needs to come back from the alternate
// VID, 1 us per mV of the drop from `highestVoltage` (the top of the processor's VID
// range, where it may have to return to) to `altVoltage`; never negative. On the K8 a
// higher VID code is a lower voltage, so the top of the range is the list's LAST entry.
uint32_t AutoAdjustedVsTimeUs(double highestVoltage, double altVoltage);

}  // namespace pacetta::k8
