#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"

namespace pacetta {

// On-demand clock modulation through IA32_CLOCK_MODULATION (0x19A) of the processor the
// calling thread runs on. Levels are eighths of the full clock: 1..7 modulate, 8 is the
// full clock.
inline constexpr uint32_t kFullClockLevel = 8;

// The current level; true when modulation is on. A processor without modulation, or a
// failed read, gives the full clock and false.
bool ReadThrottle(const CpuInfo& cpu, CPortexDriver& driver, uint32_t& level);

// Sets the level, keeping the register's other bits. False, with nothing written, for a
// level outside 1..8 (0 and values above 8 would select a reserved duty cycle), for a
// processor without modulation, or when the register cannot be read.
bool WriteThrottle(const CpuInfo& cpu, CPortexDriver& driver, uint32_t level);

}  // namespace pacetta
