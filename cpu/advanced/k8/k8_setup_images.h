#pragma once
#include <cstdint>

#include "cpu/advanced/k8/k8_cpu_setup.h"
#include "cpu/cpu_info.h"

namespace pacetta::k8 {

// The stored form of the "CPU setup" values: "AMDK8.PMM0" and "AMDK8.PMM1" (the mode
// images of 80h and 84h), "AMDK8.ClockPowerTimings" (the fields of D4h at their places),
// "AMDK8.AltVid" (the alternate VID's VID index) and "AMDK8.VSTime" (microseconds).
struct SetupImages {
  uint32_t pmm0 = 0;
  uint32_t pmm1 = 0;
  uint32_t clockPowerTimings = 0;
  // Kept as stored when the setup has no alternate VID chosen.
  int32_t altVid = 0;
  int32_t vsTimeUs = 0;

  bool operator==(const SetupImages&) const = default;
};

// `previous`: the images stored so far, whose alternate VID stays when none is chosen.
SetupImages ImagesOf(const CpuSetup& setup, const CpuInfo& cpu, const SetupImages& previous);
CpuSetup SetupOf(const SetupImages& images, const CpuInfo& cpu);

}  // namespace pacetta::k8
