#pragma once
#include "cpu/cpu_info.h"
#include "cpu/names/name_facts.h"
#include "cpu/names/naming_hardware.h"

// One table per vendor and family; each writes what it knows into the fields and returns
// the logo. NameProcessor picks the table.
namespace pacetta::names {

int NameAmdK7(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
              NameFields& fields);
// K8 before revision F: the signature table and the brand-id formulas.
int NameAmdK8(const ProcessorFacts& facts, NameFields& fields);
// K8 revisions F and G.
int NameAmdK8Npt(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
                 NameFields& fields);
int NameAmdFamily16(const CpuInfo& cpu, const ProcessorFacts& facts, NameFields& fields);
int NameIntelFamily6(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
                     NameFields& fields);
// Core 2 (models 15, 22 and 23 of family 6).
int NameCore2(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
              NameFields& fields);
int NameIntelFamily15(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
                      NameFields& fields);
int NameTransmeta(const ProcessorFacts& facts, NamingHardware& hardware, NameFields& fields);
int NameVia(const ProcessorFacts& facts, NameFields& fields);

}  // namespace pacetta::names
