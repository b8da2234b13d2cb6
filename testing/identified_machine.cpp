#include "testing/identified_machine.h"

#include <stdexcept>

#include "app/lifecycle/start_calibration.h"
#include "cpu/identify/identify_processor.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta::testing {
namespace {

std::unique_ptr<sim::SimulatedPc> BuildPc(const MachineOptions& options, const TempFolder& folder) {
  sim::SimulationOptions simulation;
  simulation.machine = options.machine;
  simulation.load = options.load;
  simulation.thermal = options.thermal;
  simulation.system32 = options.system32;
  simulation.clock = options.clock;
  simulation.stateFolder = folder.File("state");
  simulation.settingsPath = options.settingsPath;
  simulation.trace = options.trace;
  if (simulation.settingsPath.empty() && options.settings == SettingsFile::kPrivate) {
    simulation.settingsPath = folder.File("settings.json");
  }
  std::string error;
  auto pc = sim::SimulatedPc::Create(simulation, error);
  if (!pc) {
    const std::string name = options.machine.empty() ? "the default machine" : options.machine;
    throw std::runtime_error(name + ": " + error);
  }
  if (options.whenBuilt) options.whenBuilt();
  return pc;
}

}  // namespace

IdentifiedMachine::IdentifiedMachine(const MachineOptions& options)
    : pc_(BuildPc(options, folder_)),
      driver_(pc_->View()),
      northbridge_(driver_),
      sensors_{driver_, pc_->View().cpu, entryPoints_, &northbridge_, &pc_->View().kernelCpu} {
  platform::Platform& view = pc_->View();
  if (driver_.Open(0) != 0) throw std::runtime_error("the simulated driver did not open");
  entryPoints_.Resolve(view.entryPoints, view.system);

  records_.resize(UsableProcessorCount(view.processors));
  if (records_.empty()) throw std::runtime_error("the simulated machine has no usable processor");
  AssignTopology(view, records_);
  PStateHardware pstates = PStates();
  ReadingsCompletion completion(pstates, sensors_);
  IdentifyContext identify{view.processors, view.cpu, driver_, &completion};
  for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);
  // Identification leaves the thread on the last processor; start-up lets it go.
  UnpinThread(view.processors);
}

IdentifiedMachine::IdentifiedMachine(const std::string& machine, const std::string& settingsPath)
    : IdentifiedMachine(MachineOptions{.machine = machine,
                                       .settingsPath = settingsPath,
                                       .settings = SettingsFile::kProgramsOwn}) {}

IdentifiedMachine::~IdentifiedMachine() {
  // The state folder is this machine's alone: no other user of its service waits.
  driver_.Close(true);
}

std::string IdentifiedMachine::ViolationText() {
  std::string text;
  for (const sim::Violation& v : pc_->Violations()) {
    text += "cpu " + std::to_string(v.processor) + " reg " + std::to_string(v.index) + " value " +
            std::to_string(v.value) + ": " + v.reason + "\n";
  }
  return text;
}

Calibration IdentifiedMachine::CalibrateAsAtStart() {
  return CalibrateAtStart(records_, sensors_, View().processors);
}

}  // namespace pacetta::testing
