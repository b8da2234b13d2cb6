#pragma once
#include <cstdint>

#include "hw/portex_driver.h"

namespace pacetta {

// Waits `count` passes over a block of 120 no-operations: on a 32-bit system in the
// driver's busy-delay routine with interrupts off, on a 64-bit system (where the driver
// runs no kernel routines) in the calling thread. A busy wait, not a sleep, so that a
// step of a transition does not depend on the scheduler's tick. 0 waits nothing.
void BusyDelay(CPortexDriver& driver, uint32_t count);

}  // namespace pacetta
