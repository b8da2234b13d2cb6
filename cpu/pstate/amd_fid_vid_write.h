#pragma once
#include <cstdint>

#include "hw/portex_driver.h"

namespace pacetta {

// The most FIDVID_STATUS reads one change may wait for. A change completes within a few
// hundred microseconds (the stop-grant time-out at most); a status that is still pending
// after this many reads is not going to clear.
inline constexpr uint32_t kMaxFidVidStatusReads = 10000;

struct FidVidWriteResult {
  bool written = false;    // the control register took the value
  bool completed = false;  // the pending bit was seen clear
  uint32_t statusReads = 0;
};

// Writes FIDVID_CTL (0xC0010041) of the processor the calling thread runs on and waits
// until FIDVID_STATUS (0xC0010042) no longer shows the change pending (bit 31 of its low
// half). On a 32-bit system the driver's K7-transition routine does both with interrupts
// off; on a 64-bit system they are separate driver requests, and the wait ends after
// kMaxFidVidStatusReads reads or at the first failed read, whose all-ones value would
// otherwise look pending for ever.
FidVidWriteResult WriteFidVidControl(CPortexDriver& driver, uint32_t low, uint32_t high);

}  // namespace pacetta
