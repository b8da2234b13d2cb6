#pragma once
#include <cstdint>

#include "cpu/advanced/k8/k8_cpu_setup.h"

namespace pacetta::k8 {

// The K8 northbridge's power-management registers, function 3 of every node (BKDG for
// AMD Athlon 64 and Opteron, 26094, and for revision F, 32559, "Miscellaneous Control"):
//  - 80h and 84h: one power-management mode byte per ACPI state (80h bytes 0..3 for
//    states 0..3, 84h bytes 0..3 for states 4..7);
//  - D4h (clock power/timing low): good phase error in bits 2:0, clock ramp hysteresis in
//    bits 11:8, the HyperTransport clock PLL lock counter in bits 31:16 (80 ns a count);
//  - D8h (clock power/timing high): the alternate-VID stabilisation time in bits 19:0
//    (5 ns a count), the alternate VID in bits 25:20, and bits 30:28, which every apply
//    clears.
inline constexpr uint32_t kPowerMode0 = 0x80;
inline constexpr uint32_t kPowerMode1 = 0x84;
inline constexpr uint32_t kClockTimingLow = 0xD4;
inline constexpr uint32_t kClockTimingHigh = 0xD8;

// A mode byte: bit 0 CPU low power, bit 1 northbridge low power, bit 2 FID/VID change,
// bit 3 alternate-VID change (alternate-VID parts only), bits 6:4 the clock divisor.
// Bit 7 belongs to no field and is never changed.
inline constexpr uint32_t kModeCpuLowPower = 1u << 0;
inline constexpr uint32_t kModeNorthbridgeLowPower = 1u << 1;
inline constexpr uint32_t kModeFidVidChange = 1u << 2;
inline constexpr uint32_t kModeAltVidChange = 1u << 3;
inline constexpr unsigned kModeDivisorShift = 4;
inline constexpr uint32_t kModeDivisorMask = 7u << kModeDivisorShift;

inline constexpr unsigned kPhaseErrorShift = 0, kPhaseErrorWidth = 3;
// The hysteresis has four bits (the 4..32 us steps 8..11) on alternate-VID parts only;
// before, bit 11 belongs to no field.
inline constexpr unsigned kHysteresisShift = 8, kHysteresisWidth = 4, kHysteresisWidthBefore = 3;
constexpr unsigned HysteresisWidth(bool altVidProcessor) {
  return altVidProcessor ? kHysteresisWidth : kHysteresisWidthBefore;
}
inline constexpr unsigned kPllLockShift = 16, kPllLockWidth = 16;
inline constexpr unsigned kVsTimeShift = 0, kVsTimeWidth = 20;
inline constexpr unsigned kAltVidShift = 20, kAltVidWidth = 6;
inline constexpr uint32_t kClearedOnApply = 7u << 28;

constexpr uint32_t FieldMask(unsigned shift, unsigned width) {
  return ((1u << width) - 1) << shift;
}
constexpr uint32_t FieldOf(uint32_t value, unsigned shift, unsigned width) {
  return (value >> shift) & ((1u << width) - 1);
}

// The seven bits of a mode byte that `mode` names (bit 3 only for an alternate-VID
// processor), and the mask of the bits written: the divisor only when it fits its field.
uint32_t ModeByteBits(const PowerMode& mode, bool altVidProcessor);
uint32_t ModeByteMask(const PowerMode& mode, bool altVidProcessor);
PowerMode DecodeModeByte(uint32_t byte, bool altVidProcessor);

// The register images of states 0..3 (80h) or 4..7 (84h).
uint32_t ModeImage(const CpuSetup& setup, unsigned firstState, bool altVidProcessor);
void DecodeModeImage(uint32_t image, unsigned firstState, bool altVidProcessor, CpuSetup& setup);

// Microseconds and counts of the two timers, rounded to the nearest.
// Counts are wide enough for any microseconds: the writer skips those beyond the field.
uint64_t PllLockCount(uint32_t us);  // 80 ns a count
uint32_t PllLockUs(uint32_t count);
uint64_t VsTimeCount(uint32_t us);  // 5 ns a count
uint32_t VsTimeUs(uint32_t count);

}  // namespace pacetta::k8
