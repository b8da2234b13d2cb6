#pragma once
#include <string>
#include <string_view>

#include "platform/sim/machine.h"
#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

// A machine has at most 64 processors: processor k is bit k of a 64-bit affinity mask.
inline constexpr size_t kMaxMachineProcessors = 64;

// Builds a machine from the text of a machine file, choosing the format by content: the
// program's own diagnostic dump, or a raw CPUID dump in either text form. A raw dump with
// per-CPU sections gives one processor per section; one without sections describes a
// processor type, and the machine gets every logical processor that type reports, each
// with its own APIC id. AMD K8 machines get their processors' northbridge functions.
// The name is the file name without folder and extension.
Parsed<MachineSpec> ParseMachineText(std::string_view text, const std::string& fileName);

// Reads a machine file and, when `<path>.json` exists beside it, applies that sidecar.
Parsed<MachineSpec> LoadMachineFile(const std::string& path);

// One line for listings: the brand string (or vendor, family and model) and the count.
std::string DescribeProcessors(const MachineSpec& machine);

}  // namespace pacetta::sim
