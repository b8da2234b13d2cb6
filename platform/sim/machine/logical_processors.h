#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// The APIC identifier a logical processor reports: the x2APIC id of leaf 0xB where that
// leaf describes the topology, otherwise the initial APIC id in leaf 1 EBX bits 31..24.
uint32_t ApicIdOf(const CpuidLeaves& leaves);

// How many logical processors one package of this processor type holds, as its leaves
// report it: leaf 0xB's package level where present, otherwise leaf 1 EBX bits 23..16 when
// leaf 1 EDX bit 28 (more than one logical processor) is set, otherwise one.
unsigned ReportedLogicalCount(const CpuidLeaves& leaves);

// Every logical processor of one package of this type, in ascending APIC id order, each
// with its own APIC id in leaf 1 (and in leaves 0xB, 0x1F and AMD's 0x8000001E where the
// type reports them). Threads of one core take consecutive ids, as both vendors number
// them: the core number sits above the thread bits.
std::vector<ProcessorSpec> BuildLogicalProcessors(const CpuidLeaves& leaves);

// Whether leaf 1 (or leaf 0xB) carries an APIC id at all. Leaf 1 EBX bits 31..8 (initial
// APIC id, logical processor count, CLFLUSH line size) came with the Pentium 4 and the
// Athlon 64; before them EBX holds the brand index alone, and nothing in CPUID tells two
// processors of a multiprocessor board apart.
bool CarriesApicId(const CpuidLeaves& leaves);

// Two logical processors with one APIC id cannot exist: such a file was edited, or dumped
// without switching processors, and topology code would pair the wrong processors. Gives
// the first processor that repeats an earlier one's id, or nothing when all ids differ.
struct ApicIdClash {
  size_t processor = 0;
  std::string message;
};
std::optional<ApicIdClash> RepeatedApicId(const std::vector<ProcessorSpec>& processors);

}  // namespace pacetta::sim
