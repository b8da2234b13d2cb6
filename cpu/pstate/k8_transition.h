#pragma once

#include "cpu/cpu_info.h"
#include "cpu/pstate/transition_environment.h"

namespace pacetta {

// AMD K8 transitions (BKDG for AMD Family 0Fh, "FID/VID change protocol"). Every write goes
// to FIDVID_CTL and waits for its completion; voltages move one VID index at a time. A
// FID change runs at a ramp voltage: the higher of the two states' voltages plus
// "AMDK8.RampVoltageOffset", never above the processor's highest voltage.
//
// Both return false, stopping at once, when a code has no index (nothing is written
// then), or when a write fails or never completes: going on could leave a high FID at a
// voltage that was never reached. A current voltage already above the ramp level stays
// through the FID change (the part refuses a write that changes FID and VID together).

// Changes the FID in one write (the processor must accept the pair directly).
bool TransitionK8Direct(const CpuInfo& cpu, TransitionEnvironment& environment, FidVid current,
                        FidVid target);

// Changes the FID along the path of directly reachable FIDs, each hop at the VID the
// performance-state table gives the hop's FID (`vidForFid`; without a row the higher of
// the current and target voltages is kept). After each hop the FID is read back; the
// walk ends when the processor ignored a write, and after at most one hop per FID code.
bool TransitionK8Stepped(const CpuInfo& cpu, TransitionEnvironment& environment, FidVid current,
                         FidVid target, const VidForFid& vidForFid);

// round("AMDK8.RampVoltageOffset" / 25 mV), never negative.
int32_t K8RampSteps(const PStateSettings& settings);

}  // namespace pacetta
