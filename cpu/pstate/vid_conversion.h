#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// The VID index numbers a processor's VID codes from 0 upwards in order of rising
// voltage, without gaps (on AMD the code falls as the voltage rises). A negative or
// unknown code or index converts to -1, or 0.0 volts; so does every code of a
// processor without a known voltage encoding.
int32_t VidToIndex(const CpuInfo& cpu, int32_t vid);
int32_t IndexToVid(const CpuInfo& cpu, int32_t index);
double VidIndexToVoltage(const CpuInfo& cpu, int32_t index);

}  // namespace pacetta
