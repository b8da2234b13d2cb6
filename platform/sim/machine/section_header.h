#pragma once
#include <optional>
#include <string_view>

#include "platform/sim/machine/raw_dump_line.h"

namespace pacetta::sim {

// The line that starts one logical processor's leaves in a raw dump, in each layout that
// dumping tools write:
//   ------[ Logical CPU #3 ]------   (also "[ CPUID Registers / Logical CPU #3 Virtual ]")
//   _________________ Logical CPU #3 _________________
//   CPUID Registers (CPU #3):        (also "(CPU #3 Virtual):")
//   CPU#003 AffMask: 0x0000000000000008   (also "CPU#03 AffMask: 0X<group>:<mask>")
//   Group: 0x00 Affinity mask: 0x0000000000000008
//   CPU 3:
// Gives a kSection line with the processor's number, a kError line for a header that is
// damaged, or nothing when the line is no section header.
std::optional<RawDumpLine> ReadSectionHeader(std::string_view text);

}  // namespace pacetta::sim
