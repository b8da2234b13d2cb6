#pragma once
#include <string>
#include <string_view>

#include "platform/sim/machine.h"
#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

// True when the text is the program's own diagnostic dump ("Tarvello CPU info dump" or a
// "System CPU #n" section as its first meaningful line).
bool LooksLikeOwnDump(std::string_view text);

// Reads the program's own diagnostic dump (CR LF or LF line ends): one "System CPU #n"
// section per processor with its CPUID table (all sub-leaf 0), its MSR lines (which become
// the processor's start values; FFFFFFFF in both halves means the register is absent) and
// PCI blocks (which become devices; the first block of a function wins, since a later one
// was read later and differs only by what changed in between; a block of a device number
// no PCI bus has is dropped). Processors are ordered by their number. The machine's name
// and description are left empty.
Parsed<MachineSpec> ParseOwnDump(std::string_view text, const std::string& fileName);

}  // namespace pacetta::sim
