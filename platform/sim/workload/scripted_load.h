#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sim/workload/load_source.h"

namespace pacetta::sim {

// One phase of a processor's script: a steady busy share, or a duty cycle that is fully
// busy for `busy` of each period and idle for the rest.
struct LoadPhase {
  double busy = 0;
  double kernelShare = 0;
  uint64_t periodNs = 0;             // 0: steady
  std::optional<uint64_t> lengthNs;  // none: lasts for ever
  bool operator==(const LoadPhase&) const = default;
};

// A processor's phases in order; when every phase has a length the script starts over.
struct LoadScript {
  std::vector<LoadPhase> phases;
  bool operator==(const LoadScript&) const = default;
};

// Scripted load: processor k runs scripts[k], or the last script when there are fewer;
// time counts from `originNs`.
class ScriptedLoad final : public LoadSource {
 public:
  ScriptedLoad(std::vector<LoadScript> scripts, uint64_t originNs);
  LoadSlice At(unsigned processor, uint64_t ns) override;

 private:
  std::vector<LoadScript> scripts_;
  uint64_t originNs_;
};

}  // namespace pacetta::sim
