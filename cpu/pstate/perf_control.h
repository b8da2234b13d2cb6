#pragma once
#include <cstdint>

#include "hw/portex_driver.h"

namespace pacetta {

// Intel and VIA: requests FID and VID through IA32_PERF_CTL (0x199) of the processor the
// calling thread runs on (low half FID << 8 | VID, plus 0x8000 for a Core 2 "SuperLFM"
// state), then waits `delay` busy-delay counts ("IntelPMP4.FidVidDelay"). Takes effect
// only with Enhanced SpeedStep enabled. False, with nothing written, for a code wider
// than its 8-bit field, or when the write fails.
bool WritePerfControl(CPortexDriver& driver, uint32_t fid, uint32_t vid, bool superLfm,
                      uint32_t delay);

}  // namespace pacetta
