#include "cpu/advanced/k8/k8_presets.h"

#include <cmath>

namespace pacetta::k8 {
namespace {

// Register images per preset: F3x80 for extended models 4/5/12, for the other
// alternate-VID parts and for the rest, then F3x84, which all share.
struct AcpiImages {
  uint32_t pmm0Late = 0;
  uint32_t pmm0AltVid = 0;
  uint32_t pmm0Other = 0;
  uint32_t pmm1 = 0;
};
constexpr std::array<AcpiImages, kAcpiPresetCount> kAcpiImages = {{
    {0x6B076B61, 0x6B076B31, 0x33073331, 0x61133113},  // mobile, discrete graphics
    {0x33073331, 0x33073331, 0x33073331, 0x31133113},  // mobile, UMA graphics
    {0x23076361, 0x23070000, 0x23070000, 0x21132113},  // desktop, discrete graphics
    {0x23073331, 0x23070000, 0x23070000, 0x21132113},  // desktop, UMA graphics
    {0x23070000, 0x23070000, 0x23070000, 0x00132113},  // server, FID/VID capable
    {0x23070000, 0x23030000, 0x23030000, 0x00132113},  // server, FID/VID incapable
}};

// F3xD4 images: alternate-VID processors, others.
constexpr std::array<std::array<uint32_t, 2>, kClockPresetCount> kClockImages = {{
    {0x000DA701, 0x000D0701},  // unbuffered DIMMs
    {0x04E2A707, 0x04E20707},  // registered DIMMs
}};

bool LateRevision(uint32_t extendedModel) {
  return extendedModel == 4 || extendedModel == 5 || extendedModel == 12;
}

}  // namespace

PowerMode ModeOfByte(uint8_t byte, bool altVidProcessor) {
  PowerMode mode;
  mode.cpuLowPower = (byte & 0x01) != 0;
  mode.northbridgeLowPower = (byte & 0x02) != 0;
  mode.fidVidChange = (byte & 0x04) != 0;
  mode.altVidChange = altVidProcessor && (byte & 0x08) != 0;
  mode.divisor = (byte >> 4) & 0x7u;
  return mode;
}

std::array<PowerMode, kAcpiStates> AcpiPresetModes(AcpiPreset preset, uint32_t extendedModel,
                                                   bool altVidProcessor) {
  const AcpiImages& images = kAcpiImages[static_cast<size_t>(preset)];
  uint32_t pmm0 = images.pmm0Other;
  if (LateRevision(extendedModel)) {
    pmm0 = images.pmm0Late;
  } else if (altVidProcessor) {
    pmm0 = images.pmm0AltVid;
  }
  std::array<PowerMode, kAcpiStates> modes{};
  for (size_t state = 0; state < kAcpiStates; ++state) {
    const uint32_t image = state < 4 ? pmm0 : images.pmm1;
    const auto byte = static_cast<uint8_t>(image >> (8 * (state % 4)));
    modes[state] = ModeOfByte(byte, altVidProcessor);
  }
  return modes;
}

ClockTimings ClockPresetTimings(ClockPreset preset, bool altVidProcessor) {
  const uint32_t image = kClockImages[static_cast<size_t>(preset)][altVidProcessor ? 0 : 1];
  ClockTimings timings;
  timings.goodPhaseError = image & 0x7u;
  timings.rampHysteresis = (image >> 8) & 0xFu;
  // The lock counter counts 80 ns steps.
  timings.pllLockUs = static_cast<uint32_t>(std::lround((image >> 16) * 0.08));
  return timings;
}

}  // namespace pacetta::k8
