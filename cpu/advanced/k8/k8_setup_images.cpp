#include "cpu/advanced/k8/k8_setup_images.h"

#include <algorithm>

#include "cpu/advanced/k8/k8_alt_vid.h"
#include "cpu/advanced/k8/k8_power_registers.h"
#include "cpu/pstate/vid_conversion.h"

namespace pacetta::k8 {

SetupImages ImagesOf(const CpuSetup& setup, const CpuInfo& cpu, const SetupImages& previous) {
  const bool altVid = IsAltVidProcessor(cpu);
  SetupImages images = previous;
  images.pmm0 = ModeImage(setup, 0, altVid);
  images.pmm1 = ModeImage(setup, 4, altVid);
  // Each field keeps only what fits it, as the writer does.
  const uint64_t pllCount = std::min<uint64_t>(PllLockCount(setup.pllLockUs), 0xFFFF);
  images.clockPowerTimings =
      (setup.goodPhaseError & ((1u << kPhaseErrorWidth) - 1)) << kPhaseErrorShift |
      (setup.rampHysteresis & ((1u << kHysteresisWidth) - 1)) << kHysteresisShift |
      static_cast<uint32_t>(pllCount) << kPllLockShift;
  if (setup.altVidIndex) {
    const AltVidRange range = AltVidRangeOf(cpu);
    if (*setup.altVidIndex < range.count)
      images.altVid = range.firstIndex + static_cast<int32_t>(*setup.altVidIndex);
  }
  images.vsTimeUs = static_cast<int32_t>(setup.vsTimeUs);
  return images;
}

CpuSetup SetupOf(const SetupImages& images, const CpuInfo& cpu) {
  const bool altVid = IsAltVidProcessor(cpu);
  CpuSetup setup;
  DecodeModeImage(images.pmm0, 0, altVid, setup);
  DecodeModeImage(images.pmm1, 4, altVid, setup);
  const uint32_t timings = images.clockPowerTimings;
  setup.goodPhaseError = FieldOf(timings, kPhaseErrorShift, kPhaseErrorWidth);
  setup.rampHysteresis = FieldOf(timings, kHysteresisShift, HysteresisWidth(altVid));
  setup.pllLockUs = PllLockUs(FieldOf(timings, kPllLockShift, kPllLockWidth));
  if (altVid) {
    // The stored value is a VID index: outside the list it leaves nothing chosen.
    setup.altVidIndex = AltVidListIndex(cpu, IndexToVid(cpu, images.altVid));
    setup.vsTimeUs = images.vsTimeUs > 0 ? static_cast<uint32_t>(images.vsTimeUs) : 0;
  }
  return setup;
}

}  // namespace pacetta::k8
