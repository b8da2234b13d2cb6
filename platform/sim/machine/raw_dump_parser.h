#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

// The leaves one section of a raw dump gives: one logical processor, or, in a dump without
// sections, the processor type that every logical processor of the package shares.
struct RawDumpProcessor {
  uint32_t number = 0;  // as the section header gives it; 0 without sections
  int line = 0;         // where the section (or, without sections, the first leaf) starts
  CpuidLeaves leaves;
};

struct RawDump {
  bool sectioned = false;
  std::vector<RawDumpProcessor> processors;  // in file order
};

// Reads a raw CPUID dump up to its dashed line. A leaf given twice with different values,
// a repeated section number, leaves before the first section of a sectioned dump and a
// section without leaf 0 are errors, as is any line that is not part of a dump.
Parsed<RawDump> ParseRawCpuidDump(std::string_view text, const std::string& fileName);

}  // namespace pacetta::sim
