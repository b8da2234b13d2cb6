#pragma once
#include <cstdint>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// Every AMD family 0Fh processor carries its own northbridge, seen as device 18h + node on
// PCI bus 0 with four functions. Adds them for every node the machine's K8 processors
// occupy, leaving any function the machine already describes as it is.
void AddK8Northbridges(MachineSpec& machine);

// The node of a K8 processor: its APIC id without the core bits.
uint32_t K8NodeOf(const ProcessorSpec& processor);

}  // namespace pacetta::sim
