#include "tests/dump/dump_rig.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/report/cpu_report.h"
#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/pci_bus_manager.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta::testing {
namespace {

std::unique_ptr<sim::SimulatedPc> BuildPc(sim::MachineSpec machine, const std::string& faults,
                                          const TempFolder& folder,
                                          std::shared_ptr<StillClock> clock) {
  sim::SimulationOptions options;
  options.clock = std::move(clock);
  options.faults = faults;
  options.stateFolder = folder.File("state");
  options.settingsPath = folder.File("settings.json");
  std::string error;
  auto pc = sim::SimulatedPc::FromMachine(std::move(machine), options, error);
  if (!pc) throw std::runtime_error(error);
  return pc;
}

}  // namespace

DumpRig::DumpRig(sim::MachineSpec machine, const std::string& faults)
    : pc_(BuildPc(std::move(machine), faults, folder_, clock_)),
      driver_(pc_->View()),
      northbridge_(driver_) {
  platform::Platform& view = pc_->View();
  if (driver_.Open(0) != 0) throw std::runtime_error("the simulated driver did not open");
  entryPoints_.Resolve(view.entryPoints, view.system);
  records_.resize(UsableProcessorCount(view.processors));
  AssignTopology(view, records_);
  PStateHardware pstates{driver_, view.processors, {}};
  SensorHardware sensors{driver_, view.cpu, entryPoints_, &northbridge_, &view.kernelCpu};
  ReadingsCompletion completion(pstates, sensors);
  IdentifyContext identify{view.processors, view.cpu, driver_, &completion};
  for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);
  UnpinThread(view.processors);
}

DumpRig::~DumpRig() {
  driver_.Close(true);
}

platform::FileFault DumpRig::DumpTo(const std::string& path) {
  platform::Platform& view = pc_->View();
  DumpContext context{view.processors, view.cpu, driver_, northbridge_, view.logFiles};
  return DumpToFile(path, records_, context);
}

std::string DumpRig::Dump(const std::string& name) {
  const std::string path = File(name);
  if (DumpTo(path) != platform::FileFault::kNone) throw std::runtime_error("no dump: " + path);
  return ReadFile(path);
}

std::vector<std::string> DumpRig::Identification() {
  platform::Platform& view = pc_->View();
  ReportContext context{true, &view.cpu};
  std::vector<std::string> lines;
  for (const CpuInfo& cpu : records_) {
    PinToProcessor(view.processors, cpu.index);
    lines.push_back(CpuReportLine(cpu, context));
  }
  UnpinThread(view.processors);
  return lines;
}

MsrRequest DumpRig::ReadMsr(uint32_t k, uint32_t index) {
  PinToProcessor(pc_->View().processors, k);
  MsrRequest request;
  driver_.ReadMsrValue(request, index);
  UnpinThread(pc_->View().processors);
  return request;
}

uint32_t DumpRig::ReadPciDword(uint32_t devfn, uint32_t reg) {
  CPCIBusManager pci(driver_);
  return pci.ReadConfigDword(PciLocation{0, devfn}, reg);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace pacetta::testing
