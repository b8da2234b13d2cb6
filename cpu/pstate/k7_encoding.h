#pragma once
#include <cstdint>

namespace pacetta::k7 {

// AMD K7 (Athlon, Duron): the 5-bit FID and VID codes of the FID/VID control register.
inline constexpr int32_t kCodeCount = 32;

// Multiplier of a FID code 0..31.
double FidMultiplier(int32_t fid);
// Rank of a FID code among the multipliers, slowest first (FID 16, 3.0x, is 0).
int32_t FidRank(int32_t fid);
// The FID code of a rank 0..31.
int32_t FidOfRank(int32_t rank);

// Mobile VID table: rank by voltage, lowest first (the two "off" codes 31 and 15 first).
int32_t MobileVidRank(int32_t vid);
int32_t MobileVidOfRank(int32_t rank);
double MobileVidVoltage(int32_t vid);
// Low-power desktop VID table.
double DesktopVidVoltage(int32_t vid);

}  // namespace pacetta::k7
