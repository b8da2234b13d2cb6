#pragma once

#include "cpu/cpu_info.h"
#include "cpu/pstate/transition_environment.h"

namespace pacetta {

// AMD K7: the FID and the VID are separate writes of FIDVID_CTL, ordered so that the
// voltage is never too low for the clock: going slower the FID changes first, going
// faster the VID. Returns false, stopping at once, when a code is outside the 5-bit
// range (nothing is written then) or a write fails.
bool TransitionK7(const CpuInfo& cpu, TransitionEnvironment& environment, FidVid current,
                  FidVid target);

}  // namespace pacetta
