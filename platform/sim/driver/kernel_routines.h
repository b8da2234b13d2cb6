#pragma once
#include <cstdint>
#include <functional>

#include "hw/driver_protocol.h"
#include "platform/sim/driver/driver_hardware.h"

namespace pacetta::sim {

// Runs one of the driver's dedicated kernel routines on `processor`. Only a 32-bit
// system accepts the request; on a 64-bit one it is refused and logged as a violation,
// since the program must never issue it there. `readTsc` gives the time-stamp counter
// for the timer snapshot; without it the snapshot fails.
bool RunKernelRoutine(DriverHardware& hardware, unsigned processor,
                      const std::function<uint64_t()>& readTsc, driver::KernelCallBlock& block);

}  // namespace pacetta::sim
