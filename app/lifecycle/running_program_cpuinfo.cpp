// The running program as the CPU information page sees it.
#include "app/lifecycle/running_program.h"
#include "cpu/dump/diagnostic_dump.h"
#include "cpu/names/naming_hardware.h"

namespace pacetta {

std::vector<ProcessorIdentity> RunningProgram::ProcessorIdentities() {
  // The northbridge accessor's lock keeps naming's configuration reads apart from the
  // monitoring threads' temperature reads of the same function.
  DriverNamingHardware naming(sensors_.driver, platform_.cpu, sensors_.northbridge);
  return IdentifyForDisplay(application_.Processors(), platform_.processors, platform_.cpu, naming);
}

CpuSample RunningProgram::ProcessorSample(uint32_t processor) const {
  if (!sampler_ || processor >= sampler_->ProcessorCount()) return {};
  return sampler_->Sample(processor);
}

bool RunningProgram::SaveDiagnosticDump(const std::string& path) {
  if (shutDown_ || sensors_.northbridge == nullptr) return false;
  DumpContext c{platform_.processors, platform_.cpu, sensors_.driver, *sensors_.northbridge,
                platform_.logFiles};
  return DumpToFile(path, application_.Processors(), c) == platform::FileFault::kNone;
}

}  // namespace pacetta
