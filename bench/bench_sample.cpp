// One monitoring sample of one processor on a simulated PC: its designed busy loop
// (the clock measurement's delay) against everything else the sample does.
#include <benchmark/benchmark.h>

#include "cpu/sensors/busy_load.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/overheat.h"
#include "cpu/sensors/temperature.h"
#include "hw/pinning.h"
#include "testing/identified_machine.h"

namespace pacetta {
namespace {

constexpr uint32_t kDelayPasses = 2000;  // the measurement's busy loop

// The thread samples processor 0, as its monitoring thread does.
struct Machine {
  Machine() { PinToProcessor(identified.View().processors, 0); }

  testing::IdentifiedMachine identified{{.machine = "core2-duo-laptop"}};
  CpuInfo& cpu = identified.Records()[0];
  SensorHardware& sensors = identified.Sensors();
};

void BM_SampleOneProcessor(benchmark::State& state) {
  Machine machine;
  CpuInfo& cpu = machine.cpu;
  for (auto _ : state) {
    ReadCurrentState(cpu, machine.sensors);
    ClockReading reading;
    MeasureClock(cpu, machine.sensors, kDelayPasses, reading);
    double load = BusyLoad(cpu, machine.sensors, 1, 10);
    double temperature = 0;
    ReadTemperature(cpu, machine.sensors, 5, temperature);
    benchmark::DoNotOptimize(ReadOverheat(cpu, machine.sensors));
    benchmark::DoNotOptimize(load + temperature + reading.clockHz);
  }
}
BENCHMARK(BM_SampleOneProcessor)->Unit(benchmark::kMicrosecond);

// The designed busy loop alone: the sample's cost beyond it is the difference.
void BM_DesignedBusyLoop(benchmark::State& state) {
  Machine machine;
  for (auto _ : state) machine.identified.View().cpu.SpinDelay(kDelayPasses);
}
BENCHMARK(BM_DesignedBusyLoop)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pacetta

BENCHMARK_MAIN();
