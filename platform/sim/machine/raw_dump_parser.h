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
  uint32_t number = 0;  // as the section header gives it; without headers, 0, 1, 2...
  int line = 0;         // where the section (or, without sections, the first leaf) starts
  CpuidLeaves leaves;
};

// The lines before the dashed line that belong to no layout the reader knows: what dumping
// tools write around the leaves (versions, clocks, MSRs, summaries).
struct SkippedLines {
  int count = 0;
  int firstLine = 0;
  std::string firstText;  // shortened and printable, for messages
};

struct RawDump {
  bool sectioned = false;
  std::vector<RawDumpProcessor> processors;  // in file order
  SkippedLines skipped;
};

// Reads a raw CPUID dump up to its dashed line, in any of the layouts of raw_dump_line.h
// and section_header.h. In a dump without section headers, each further leaf 0 begins the
// next processor's leaves. A leaf given twice with different values, a leaf 0 that comes
// again within a headed section, a repeated section number, leaves before the first
// section of a sectioned dump, a damaged leaf or header line and a section without leaf 0
// are errors. Other lines are skipped and counted; when any were, every processor must
// also have the leaf 1 its leaf 0 promises, else the skipped lines may have held leaves.
Parsed<RawDump> ParseRawCpuidDump(std::string_view text, const std::string& fileName);

}  // namespace pacetta::sim
