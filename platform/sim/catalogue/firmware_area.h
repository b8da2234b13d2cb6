#pragma once
#include <cstdint>
#include <vector>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// The 64 KiB of system firmware at F0000h..FFFFFh of a catalogue machine with an AMD K7 or
// K8 processor: the BIOS code's filler, the reset vector and date at the top, and the
// PowerNow! block that the BIOS of such a board publishes for its processor, with that
// processor's operating points (its lowest and highest state). Empty for any other
// machine.
std::vector<uint8_t> PowerNowFirmwareArea(const MachineSpec& machine);

}  // namespace pacetta::sim
