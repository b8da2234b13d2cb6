#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/os_power.h"

namespace pacetta::sim {

// A numbered scheme of the older generation as the simulated system keeps it.
struct SimScheme {
  uint32_t index = 0;
  std::string name;
  std::string description;
  platform::PowerPolicyBlock policy{};
  platform::ProcessorPolicyBlock processor{};
};

// A setting's four values on a plan, in PlanValue order.
using SimPlanValues = std::array<uint32_t, 4>;

// A plan of the newer generation. Settings are keyed "subgroup/setting" in text form;
// a setting the plan was never given reads as 0 on every value.
struct SimPlan {
  platform::PlanGuid guid{};
  std::string name;
  std::string description;
  std::map<std::string, SimPlanValues> values;
};

// What the simulated system keeps of its power policy: the schemes of the generation
// its version offers, the active one, and the panel's brightness.
struct SimOsPowerState {
  std::vector<SimScheme> schemes;
  uint32_t activeScheme = 0;
  std::vector<SimPlan> plans;
  platform::PlanGuid activePlan{};
  platform::PanelLevels panel{100, 60};
};

// A freshly installed system: the older generation's six schemes before major version 6,
// else the three plans, each with the first one active.
SimOsPowerState DefaultOsPowerState(uint32_t osMajorVersion);

// The state as the simulated system keeps it on disk, and back. Nullopt for a damaged
// text.
std::string StateToText(const SimOsPowerState& state);
std::optional<SimOsPowerState> StateFromText(const std::string& text);

}  // namespace pacetta::sim
