// One monitoring sample of one processor on a simulated PC: its designed busy loop
// (the clock measurement's delay) against everything else the sample does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "cpu/identify/identify_processor.h"
#include "cpu/sensors/busy_load.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/overheat.h"
#include "cpu/sensors/sensor_completion.h"
#include "cpu/sensors/temperature.h"
#include "hw/pinning.h"
#include "hw/topology.h"
#include "platform/sim/simulated_pc.h"

namespace pacetta {
namespace {

constexpr uint32_t kDelayPasses = 2000;  // the measurement's busy loop

struct Machine {
  Machine() {
    sim::SimulationOptions options;
    options.machine = "core2-duo-laptop";
    options.stateFolder = folder + "/state";
    options.settingsPath = folder + "/settings.json";
    std::string error;
    pc = sim::SimulatedPc::Create(options, error);
    auto& view = pc->View();
    driver = std::make_unique<CPortexDriver>(view);
    driver->Open(0);
    entryPoints.Resolve(view.entryPoints, view.system);
    northbridge = std::make_unique<CK8Northbridge>(*driver);
    sensors = std::make_unique<SensorHardware>(
        SensorHardware{*driver, view.cpu, entryPoints, northbridge.get()});
    records.resize(UsableProcessorCount(view.processors));
    AssignTopology(view, records);
    PStateHardware pstates{*driver, view.processors, {}};
    ReadingsCompletion completion(pstates, *sensors);
    IdentifyContext context{view.processors, view.cpu, *driver, &completion};
    for (CpuInfo& record : records) IdentifyProcessor(record, context);
    PinToProcessor(view.processors, 0);
  }
  ~Machine() {
    driver->Close(true);
    driver.reset();
    pc.reset();
    std::filesystem::remove_all(folder);
  }

  std::string folder = "/tmp/pacetta-bench-sample-" + std::to_string(getpid());
  std::unique_ptr<sim::SimulatedPc> pc;
  std::unique_ptr<CPortexDriver> driver;
  OptionalEntryPoints entryPoints;
  std::unique_ptr<CK8Northbridge> northbridge;
  std::unique_ptr<SensorHardware> sensors;
  std::vector<CpuInfo> records;
};

void BM_SampleOneProcessor(benchmark::State& state) {
  Machine machine;
  CpuInfo& cpu = machine.records[0];
  for (auto _ : state) {
    ReadCurrentState(cpu, *machine.sensors);
    ClockReading reading;
    MeasureClock(cpu, *machine.sensors, kDelayPasses, reading);
    double load = BusyLoad(cpu, *machine.sensors, 1, 10);
    double temperature = 0;
    ReadTemperature(cpu, *machine.sensors, 5, temperature);
    benchmark::DoNotOptimize(ReadOverheat(cpu, *machine.sensors));
    benchmark::DoNotOptimize(load + temperature + reading.clockHz);
  }
}
BENCHMARK(BM_SampleOneProcessor)->Unit(benchmark::kMicrosecond);

// The designed busy loop alone: the sample's cost beyond it is the difference.
void BM_DesignedBusyLoop(benchmark::State& state) {
  Machine machine;
  for (auto _ : state) machine.pc->View().cpu.SpinDelay(kDelayPasses);
}
BENCHMARK(BM_DesignedBusyLoop)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pacetta

BENCHMARK_MAIN();
