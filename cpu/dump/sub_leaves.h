#pragma once
#include <cstdint>
#include <string>

#include "platform/cpu_instructions.h"

namespace pacetta {

// The further sub-leaves of today's processors: their caches (leaf 4 and 0x8000001D),
// topology (0xB, 0x1F), features (7) and state components (0xD) live beyond sub-leaf 0,
// which is all the leaf table lists. One line each, "LLLLLLLL.S" then EAX..EDX, after the
// table; a leaf's list ends where the processor says it does, and never runs past a bound.
// `standardMax` and `extendedMax` are the last leaves the table listed.
void DumpSubLeaves(std::string& out, platform::CpuInstructions& cpu, uint32_t standardMax,
                   uint32_t extendedMax);

}  // namespace pacetta
