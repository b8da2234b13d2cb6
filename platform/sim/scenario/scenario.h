#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pacetta::sim {

enum class ScenarioAction : uint8_t {
  kPlug,
  kUnplug,
  kSuspend,
  kResume,
  kBattery,
  kInsertBattery,
  kRemoveBattery,
  kSetClock,
  kStartProgram,
  kEndProgram,
  kInput,
};

// One timed line of a scenario.
struct ScenarioStep {
  uint64_t atNs = 0;  // after the machine's start, on its clock
  ScenarioAction action = ScenarioAction::kPlug;
  unsigned percent = 0;      // kBattery only
  int64_t epochSeconds = 0;  // kSetClock only: what the wall clock reads then, UTC
  std::string program;       // kStartProgram, kEndProgram: the executable's file name
  unsigned line = 0;         // in the scenario text, from 1
};

struct ScenarioParse {
  std::optional<std::vector<ScenarioStep>> steps;
  std::string error;  // "NAME:LINE: what is wrong" when `steps` is empty
};

// Reads a scenario (`--sim-scenario=FILE`, docs/simulated-power.md): one step a line,
//   TIME ACTION     TIME = number with unit ms, s or min ("3s", "1.5s", "250ms")
//   ACTION = plug | unplug | suspend | resume | battery PERCENT[%] | battery insert
//            | battery remove | clock YYYY-MM-DD HH:MM:SS | process start NAME
//            | process end NAME | input
// '#' starts a comment. Times never go back, and each step must make sense after the
// ones before it, starting on AC power, awake, with `batteries` batteries and no
// program of the scenario's running. `name` prefixes the errors.
ScenarioParse ParseScenario(std::string_view text, const std::string& name, unsigned batteries = 1);
// The same for a file; an unreadable file is an error that names it.
ScenarioParse LoadScenario(const std::string& path);

}  // namespace pacetta::sim
