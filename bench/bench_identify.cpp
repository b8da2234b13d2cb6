// Identification of a 32-processor simulated machine and the parse of a CPUID dump.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/pstate_limits.h"
#include "hw/pinning.h"
#include "hw/topology.h"
#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/simulated_pc.h"

namespace pacetta {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// 32 logical processors of the catalogue's Core 2 Duo: 16 packages of two cores.
sim::MachineSpec ThirtyTwoProcessors() {
  sim::MachineSpec machine = *sim::FindCatalogueMachine("core2-duo-laptop");
  const sim::ProcessorSpec model = machine.processors.at(0);
  machine.processors.clear();
  for (uint32_t apic = 0; apic < 32; ++apic) {
    sim::ProcessorSpec processor = model;
    auto& leaf1 = processor.leaves[{1, 0}];
    leaf1.ebx = (leaf1.ebx & 0x00FFFFFFu) | apic << 24;
    machine.processors.push_back(processor);
  }
  machine.name = "bench-32";
  return machine;
}

void BM_IdentifyThirtyTwoProcessors(benchmark::State& state) {
  const std::string folder = "/tmp/pacetta-bench-" + std::to_string(getpid());
  sim::SimulationOptions options;
  options.stateFolder = folder + "/state";
  options.settingsPath = folder + "/settings.json";
  std::string error;
  auto pc = sim::SimulatedPc::FromMachine(ThirtyTwoProcessors(), options, error);
  if (!pc) {
    state.SkipWithError(error.c_str());
    return;
  }
  auto& platform = pc->View();
  CPortexDriver driver(platform);
  driver.Open(0);
  for (auto _ : state) {
    std::vector<CpuInfo> records(UsableProcessorCount(platform.processors));
    AssignTopology(platform, records);
    PStateHardware hardware{driver, platform.processors, {}};
    IdentifyContext identify{platform.processors, platform.cpu, driver};
    for (CpuInfo& record : records) {
      IdentifyProcessor(record, identify);
      ReadPStateLimits(record, hardware);
      BuildCandidateList(record, hardware);
    }
    UnpinThread(platform.processors);
    benchmark::DoNotOptimize(records.data());
  }
  driver.Close(true);
  pc.reset();
  std::filesystem::remove_all(folder);
  state.counters["per_processor_us"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 32,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IdentifyThirtyTwoProcessors)->Unit(benchmark::kMicrosecond);

void BM_ParseDump(benchmark::State& state) {
  const std::string text = ReadFile(std::string(PACETTA_SOURCE_DIR) +
                                    "/platform/sim/catalogue/data/intel-core2-duo-cpu-t7500.test");
  for (auto _ : state) {
    auto machine = sim::ParseMachineText(text, "intel-core2-duo-cpu-t7500.test");
    benchmark::DoNotOptimize(machine.ok());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseDump)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pacetta

BENCHMARK_MAIN();
