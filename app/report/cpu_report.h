#pragma once
#include <cstdio>
#include <string>

#include "cpu/cpu_info.h"
#include "cpu/names/naming_hardware.h"
#include "platform/platform.h"

namespace pacetta {

// What the report knows of one processor beyond its identification.
struct ReportContext {
  bool registersRead = false;                // the driver answered: limits and candidates are real
  platform::CpuInstructions* cpu = nullptr;  // for the features that execute CPUID
  NamingHardware* naming = nullptr;          // for the names; without it none are reported
};

// One processor as a single-line JSON object: identification, flags and predicates,
// caches and TLBs, brand identifiers, model and core names with revision and logo, and,
// when registers could be read, the performance-state limits and candidate list.
std::string CpuReportLine(const CpuInfo& cpu, const ReportContext& context);

// Identifies every processor of the platform without showing a window or taking the
// single-instance lock, and prints one line per processor. The driver is used when it
// can be opened; otherwise the register-based fields are left out. Returns the exit code.
int RunCpuReport(platform::Platform& platform, std::FILE* out);

}  // namespace pacetta
