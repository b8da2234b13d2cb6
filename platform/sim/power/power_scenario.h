#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pacetta::sim {

enum class PowerAction : uint8_t {
  kPlug,
  kUnplug,
  kSuspend,
  kResume,
  kBattery,
  kInsertBattery,
  kRemoveBattery
};

// One timed line of a power scenario.
struct PowerStep {
  uint64_t atNs = 0;  // after the machine's start, on its clock
  PowerAction action = PowerAction::kPlug;
  unsigned percent = 0;  // kBattery only
  unsigned line = 0;     // in the scenario text, from 1
};

struct PowerScenarioParse {
  std::optional<std::vector<PowerStep>> steps;
  std::string error;  // "NAME:LINE: what is wrong" when `steps` is empty
};

// Reads a scenario (`--sim-scenario=FILE`, docs/simulated-power.md): one step a line,
//   TIME ACTION     TIME = number with unit ms, s or min ("3s", "1.5s", "250ms")
//   ACTION = plug | unplug | suspend | resume | battery PERCENT[%] | battery insert
//            | battery remove
// '#' starts a comment. Times never go back, and each step must make sense after the
// ones before it, starting on AC power, awake, with `batteries` batteries. `name`
// prefixes the errors.
PowerScenarioParse ParsePowerScenario(std::string_view text, const std::string& name,
                                      unsigned batteries = 1);
// The same for a file; an unreadable file is an error that names it.
PowerScenarioParse LoadPowerScenario(const std::string& path);

}  // namespace pacetta::sim
