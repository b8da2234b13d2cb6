// A scenario of the simulated PC, read as `--sim-scenario=FILE` reads it.
#include <algorithm>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/sim/scenario/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  const std::string path = fuzz::PrivateFolder() + "/scenario.txt";
  fuzz::WriteFile(path, {data, size});
  const sim::ScenarioParse parsed = sim::LoadScenario(path);
  if (!parsed.steps) {
    FUZZ_CHECK(parsed.error.starts_with(path + ":"));
    return 0;
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto lines = static_cast<unsigned>(std::count(text.begin(), text.end(), '\n') + 1);
  const sim::ScenarioStep* before = nullptr;
  for (const sim::ScenarioStep& step : *parsed.steps) {
    FUZZ_CHECK(step.line >= 1 && step.line <= lines);
    if (before != nullptr) FUZZ_CHECK(step.atNs >= before->atNs && step.line > before->line);
    switch (step.action) {
      case sim::ScenarioAction::kBattery:
        FUZZ_CHECK(step.percent <= 100);
        break;
      case sim::ScenarioAction::kSetClock:
        FUZZ_CHECK(step.epochSeconds >= 0);
        break;
      case sim::ScenarioAction::kStartProgram:
      case sim::ScenarioAction::kEndProgram:
        FUZZ_CHECK(!step.program.empty() && step.program.find('/') == std::string::npos);
        break;
      default:
        break;
    }
    before = &step;
  }
  return 0;
}
