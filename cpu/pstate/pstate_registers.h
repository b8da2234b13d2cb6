#pragma once
#include <cstdint>

#include "cpu/identify/bits.h"
#include "hw/msr_request.h"

// Model-specific registers of the performance-state code.
namespace pacetta::msr {

// AMD K7/K8 (BKDG for AMD Family 0Fh, "FID/VID control registers").
inline constexpr uint32_t kHardwareConfig = 0xC0010015;  // HWCR: start FID of older parts
inline constexpr uint32_t kFidVidControl = 0xC0010041;   // FIDVID_CTL
inline constexpr uint32_t kFidVidStatus = 0xC0010042;    // FIDVID_STATUS
inline constexpr unsigned kFidVidPendingBit = 31;        // FIDVID_STATUS EAX

// Intel (IA-32 SDM vol. 3, "Model-specific registers").
inline constexpr uint32_t kPlatformId = 0x17;
inline constexpr uint32_t kEbcFrequencyId = 0x2C;       // Pentium 4: bus ratio and range
inline constexpr uint32_t kEbcFrequencyLimits = 0x2D;   // Pentium 4 model 2: ratio limits
inline constexpr uint32_t kPlatformInfo = 0xCE;         // Core 2: SuperLFM and IDA states
inline constexpr uint32_t kPerfStatus = 0x198;          // IA32_PERF_STATUS
inline constexpr uint32_t kPerfControl = 0x199;         // IA32_PERF_CTL
inline constexpr uint32_t kClockModulation = 0x19A;     // IA32_CLOCK_MODULATION
inline constexpr uint32_t kThermalControl2 = 0x19D;     // MSR_THERM2_CTL: TM2 target
inline constexpr uint32_t kPentium4StartState = 0x1A1;  // Pentium 4 model 3+: start state

}  // namespace pacetta::msr

namespace pacetta::pstate {

using identify::Bit;

// Bits high..low of a register half as a signed code (every field is below 31 bits).
constexpr int32_t Field(uint32_t half, unsigned high, unsigned low) {
  return static_cast<int32_t>(identify::Bits(half, high, low));
}

}  // namespace pacetta::pstate
