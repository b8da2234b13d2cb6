#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/workload/scripted_load.h"

namespace pacetta::sim {

// What drives a simulated machine's processors and how its cores heat.
struct WorkloadOptions {
  bool hostLoad = false;            // mirror the host's per-processor load
  std::vector<LoadScript> scripts;  // otherwise these (none: every processor idle)
  std::optional<double> ambientC;
  std::optional<double> riseC;
  std::optional<double> timeConstantS;
};

// Reads the values of `--sim-load` and `--sim-thermal` (empty: the defaults):
//
//   --sim-load=idle | full | host | script:PROCESSOR[;PROCESSOR...]
//     PROCESSOR = PHASE[,PHASE...]: processor k takes the k-th, the last one the rest.
//     PHASE = KIND[:kernel=PERCENT][@DURATION], KIND = idle | full | busy=PERCENT |
//     duty=PERCENT/PERIOD; a phase without a duration lasts for ever, a script whose
//     phases all have one starts over. DURATION and PERIOD are numbers with ms or s.
//     Example: script:idle@2s,full@3s;duty=25/100ms
//   --sim-thermal=ambient=C,rise=C,tau=SECONDS (any of them)
//
// Nullopt and a message in `error` when a value is malformed.
std::optional<WorkloadOptions> ParseWorkloadOptions(const std::string& load,
                                                    const std::string& thermal, std::string& error);

}  // namespace pacetta::sim
