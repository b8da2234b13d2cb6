// The diagnostic dump of a two-processor simulated PC, written to a file: pinning to each
// processor, every leaf, register and northbridge read, and the file replaced.
#include <benchmark/benchmark.h>

#include "cpu/dump/diagnostic_dump.h"
#include "testing/identified_machine.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

void BM_DumpTwoProcessors(benchmark::State& state) {
  testing::IdentifiedMachine machine({.machine = "k8-x2-laptop"});
  testing::TempFolder folder;
  const std::string path = folder.File("cpuinfo.txt");
  platform::Platform& view = machine.View();
  DumpContext context{view.processors, view.cpu, machine.Driver(), *machine.Sensors().northbridge,
                      view.logFiles};
  for (auto _ : state) {
    if (DumpToFile(path, machine.Records(), context) != platform::FileFault::kNone) {
      state.SkipWithError("the dump was not written");
      break;
    }
  }
}
BENCHMARK(BM_DumpTwoProcessors)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pacetta

BENCHMARK_MAIN();
