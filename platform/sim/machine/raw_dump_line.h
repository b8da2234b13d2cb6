#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cpu_instructions.h"

namespace pacetta::sim {

// One line of a raw CPUID dump, in either of the two common text forms:
//   CPUID 00000004: 04000121-01C0003F-0000003F-00000001 [SL 00]   (or a blank for the colon)
//   basic_cpuid[1]=000006fa 00020800 0000e3bd bfebfbff
// plus the lines that start a logical processor's section (section_header.h) and the
// dashed line after which a dump carries derived values instead of leaves. Dumping tools
// add lines of their own (versions, clocks, MSRs, summaries): those are kUnknown. A line
// that looks like a leaf or a section header but is damaged is kError.
struct RawDumpLine {
  enum class Kind { kBlank, kLeaf, kSection, kEndOfLeaves, kUnknown, kError };
  Kind kind = Kind::kBlank;

  uint32_t leaf = 0;
  // Given by the line ("[SL 02]", "intel_fn4[2]"); absent when the sub-leaf follows from
  // how many lines of the same leaf came before.
  std::optional<uint32_t> subleaf;
  platform::CpuidResult value;

  uint32_t sectionNumber = 0;
  std::string error;  // kError: what is wrong with the line
};

RawDumpLine ReadRawDumpLine(std::string_view text);

}  // namespace pacetta::sim
