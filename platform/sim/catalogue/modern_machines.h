#pragma once
#include "platform/sim/machine.h"

namespace pacetta::sim {

// Today's laptops keep a few of their processors, so that a simulated run stays quick:
// the Zen laptop its first two cores with both threads, the hybrid laptop its first
// performance core (two threads) and its first two efficiency cores.
void KeepZenLaptopProcessors(MachineSpec& machine);
void KeepHybridLaptopProcessors(MachineSpec& machine);

}  // namespace pacetta::sim
