#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// The stored settings the performance-state code reads. "UnlockFid", "UnlockVid",
// "AMDK7.DesktopVids" and "IntelCore2.CpuType" travel in the record's switches instead.
struct PStateSettings {
  // "AMDK8.PSTMethod": bit 3 = change the FID along the stepped path, bit 4 = the
  // processor takes 100 MHz (odd) FID steps.
  uint32_t k8PstMethod = 0;
  // "AMDK8.RampVoltageOffset": extra voltage held during a FID change, millivolts.
  int32_t k8RampVoltageOffsetMv = 50;
  // "AMDK7K8.StopGrantTimeoutCount": bus clocks the FID change may keep the processor
  // in stop-grant.
  uint32_t stopGrantTimeoutCount = 2000;
  // "AMDK7K8.FidDelay" and "AMDK7K8.VidDelay" (the latter is also
  // "IntelPMP4.FidVidDelay"), microseconds of settling after a change.
  uint32_t fidDelayUs = 80;
  uint32_t vidDelayUs = 100;
};

// The defaults for `cpu`'s family: stop-grant count 10000 on K7, 2000 on other AMD
// processors and 1 elsewhere; FID and VID delays 80 and 100 microseconds on AMD, 0
// elsewhere.
PStateSettings DefaultPStateSettings(const CpuInfo& cpu);

}  // namespace pacetta
