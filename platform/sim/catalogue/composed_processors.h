#pragma once
#include "platform/sim/machine.h"

namespace pacetta::sim {

// Processors of which no dump exists, composed from the nearest real dump by changing
// only the fields in which the two differ.

// AMD Turion 64 X2 TL-56 (dual-core K8, revision F, socket S1g1), from the dump of an
// Athlon 64 X2 3800+ (dual-core K8, revision E).
void ComposeTurion64X2(MachineSpec& machine);

// Mobile AMD Athlon XP-M 2500+ (K7, Barton core), from the dump of an Athlon XP 3200+
// (the same core on the desktop).
void ComposeMobileAthlonXpM(MachineSpec& machine);

// Transmeta Crusoe TM5800, from the dump of an AMD Duron (a processor with the same
// leaf structure: standard leaves to 1, AMD-style extended leaves to 80000006h).
void ComposeCrusoeTm5800(MachineSpec& machine);

}  // namespace pacetta::sim
