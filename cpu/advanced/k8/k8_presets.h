#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "cpu/advanced/k8/k8_cpu_setup.h"

namespace pacetta::k8 {

// The "CPU setup" tab's two preset menus: register images the maker recommends for typical
// platforms, loaded into the page (not applied).
enum class AcpiPreset {
  kMobileDiscreteGraphics,
  kMobileUmaGraphics,
  kDesktopDiscreteGraphics,
  kDesktopUmaGraphics,
  kServerFidVidCapable,
  kServerFidVidIncapable,
};
inline constexpr size_t kAcpiPresetCount = 6;

enum class ClockPreset { kUnbufferedDimms, kRegisteredDimms };
inline constexpr size_t kClockPresetCount = 2;

// One mode byte as the page holds it; bit 3 (alternate VID) counts only on alternate-VID
// processors, bit 7 is not the page's.
PowerMode ModeOfByte(uint8_t byte, bool altVidProcessor);

// The eight ACPI states' mode bytes of `preset`, in state order. The preset's register
// images differ by revision: extended models 4, 5 and 12, the other alternate-VID
// processors, and the rest of the K8s.
std::array<PowerMode, kAcpiStates> AcpiPresetModes(AcpiPreset preset, uint32_t extendedModel,
                                                   bool altVidProcessor);

// The clock power/timing fields of a preset: good phase error and ramp hysteresis as list
// indices, the PLL lock time in microseconds.
struct ClockTimings {
  uint32_t goodPhaseError = 0;
  uint32_t rampHysteresis = 0;
  uint32_t pllLockUs = 0;

  bool operator==(const ClockTimings&) const = default;
};
ClockTimings ClockPresetTimings(ClockPreset preset, bool altVidProcessor);

}  // namespace pacetta::k8
