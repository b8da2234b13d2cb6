#pragma once
// A simulated machine whose power policy lives in a folder of the test's, so that a
// second machine on the same folder is the next start of the same system.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/sim/simulated_pc.h"
#include "power/os_power_policy.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// Windows XP on a Pentium M laptop: the older generation.
inline constexpr char kLegacyMachine[] = "pentium-m-laptop";
// Windows Vista on a Core 2 laptop: the newer generation.
inline constexpr char kPlansMachine[] = "core2-duo-laptop";

inline std::unique_ptr<sim::SimulatedPc> MachineIn(const std::string& machine,
                                                   const std::string& folder,
                                                   const std::string& faults = {}) {
  sim::SimulationOptions options;
  options.machine = machine;
  options.stateFolder = folder + "/state";
  options.settingsPath = folder + "/settings.json";
  options.faults = faults;
  std::string error;
  auto pc = sim::SimulatedPc::Create(options, error);
  if (!pc) throw std::runtime_error(error);
  return pc;
}

inline power::OsPowerPolicy PolicyOf(sim::SimulatedPc& pc) {
  return power::OsPowerPolicy(pc.View().osPower, pc.View().system.Version().major);
}

inline int CountNamed(const sim::SimOsPowerState& state, const std::string& name) {
  int count = 0;
  for (const auto& scheme : state.schemes) count += scheme.name == name ? 1 : 0;
  for (const auto& plan : state.plans) count += plan.name == name ? 1 : 0;
  return count;
}

}  // namespace pacetta::testing
