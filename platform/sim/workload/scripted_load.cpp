#include "platform/sim/workload/scripted_load.h"

#include <algorithm>
#include <cmath>

namespace pacetta::sim {
namespace {

constexpr uint64_t kForever = LoadSlice{}.untilNs;

// The piece of a phase at `offset` ns into it; its end is relative to the phase's start,
// at most `phaseEnd` (kForever for a phase without end).
LoadSlice SliceOf(const LoadPhase& phase, uint64_t offset, uint64_t phaseEnd) {
  LoadSlice slice{phase.busy, phase.kernelShare, phaseEnd};
  if (phase.periodNs == 0) return slice;
  const uint64_t onNs = static_cast<uint64_t>(std::llround(phase.busy * phase.periodNs));
  const uint64_t periodStart = offset - offset % phase.periodNs;
  const uint64_t into = offset - periodStart;
  const bool on = into < onNs;
  slice.busy = on ? 1.0 : 0.0;
  slice.untilNs = std::min(phaseEnd, periodStart + (on ? onNs : phase.periodNs));
  return slice;
}

}  // namespace

ScriptedLoad::ScriptedLoad(std::vector<LoadScript> scripts, uint64_t originNs)
    : scripts_(std::move(scripts)), originNs_(originNs) {}

LoadSlice ScriptedLoad::At(unsigned processor, uint64_t ns) {
  if (scripts_.empty()) return {};
  const LoadScript& script = scripts_[std::min<size_t>(processor, scripts_.size() - 1)];
  if (script.phases.empty()) return {};
  const uint64_t elapsed = ns > originNs_ ? ns - originNs_ : 0;

  uint64_t cycle = 0;
  bool repeats = true;
  for (const LoadPhase& phase : script.phases) {
    repeats = repeats && phase.lengthNs.has_value();
    if (phase.lengthNs) cycle += *phase.lengthNs;
  }
  // Where in the script `elapsed` falls, and the absolute start of that pass.
  uint64_t passStart = 0;
  if (repeats && cycle > 0) passStart = elapsed - elapsed % cycle;
  uint64_t phaseStart = passStart;
  for (const LoadPhase& phase : script.phases) {
    const uint64_t length = phase.lengthNs.value_or(kForever);
    if (!phase.lengthNs || elapsed - phaseStart < length) {
      LoadSlice slice = SliceOf(phase, elapsed - phaseStart, length);
      if (slice.untilNs != kForever) slice.untilNs += originNs_ + phaseStart;
      return slice;
    }
    phaseStart += length;
  }
  // A script of lengths that sum to 0 (never written that way): idle.
  return {};
}

}  // namespace pacetta::sim
