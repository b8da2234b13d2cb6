#include "app/desktop/pstate_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/vid_conversion.h"

namespace pacetta {
namespace {

// Codes wider than the byte they are stored in name no step of any family.
// The older families' codes fit a byte; today's processors' FIDs are their clocks in MHz.
int32_t AsCode(uint32_t value) {
  return value > 0xFFFF ? -1 : static_cast<int32_t>(value);
}

}  // namespace

std::vector<StepChoice> FidSteps(const CpuInfo& cpu) {
  std::vector<StepChoice> steps;
  int32_t first = FidToIndex(cpu, std::max(cpu.minFid, 0));
  int32_t last = FidToIndex(cpu, cpu.maxFid);
  if (first < 0 || last < 0) return steps;
  if (first > last) std::swap(first, last);
  for (int32_t index = first; index <= last; ++index) {
    const int32_t fid = IndexToFid(cpu, index);
    // A K8 enters a low FID only from its gateway set: a FID the part cannot reach is
    // no step a user may pick.
    if (fid < 0 || !CanReachFid(cpu, fid)) continue;
    steps.push_back({fid, FidIndexToMultiplier(cpu, index)});
  }
  return steps;
}

std::vector<StepChoice> VidSteps(const CpuInfo& cpu) {
  int32_t low = -1;
  int32_t high = -1;
  const auto include = [&](int32_t code) {
    const int32_t index = VidToIndex(cpu, code);
    if (index < 0) return;
    low = low < 0 ? index : std::min(low, index);
    high = std::max(high, index);
  };
  include(cpu.minVid);
  include(cpu.maxVid);
  const uint32_t count = std::min(cpu.candidateCount, kMaxPStateCandidates);
  for (uint32_t i = 0; i < count; ++i) {
    const PStateCandidate& candidate = cpu.candidates[i];
    for (uint32_t code : {candidate.lowestVid, candidate.highestVid, candidate.defaultVid})
      include(AsCode(code));
  }
  std::vector<StepChoice> steps;
  if (low < 0) return steps;
  for (int32_t index = low; index <= high; ++index) {
    const int32_t vid = IndexToVid(cpu, index);
    if (vid >= 0) steps.push_back({vid, VidIndexToVoltage(cpu, index)});
  }
  return steps;
}

int32_t StepIndexOf(const std::vector<StepChoice>& steps, int32_t code) {
  const auto found = std::find_if(steps.begin(), steps.end(),
                                  [code](const StepChoice& step) { return step.code == code; });
  return found == steps.end() ? -1 : static_cast<int32_t>(found - steps.begin());
}

int32_t NearestStep(const std::vector<StepChoice>& steps, double value) {
  int32_t best = -1;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (best < 0 || std::abs(steps[i].value - value) <
                        std::abs(steps[static_cast<size_t>(best)].value - value)) {
      best = static_cast<int32_t>(i);
    }
  }
  return best;
}

double MultiplierOfFid(const CpuInfo& cpu, int32_t fid) {
  return FidIndexToMultiplier(cpu, FidToIndex(cpu, fid));
}

double VoltageOfVid(const CpuInfo& cpu, int32_t vid) {
  return VidIndexToVoltage(cpu, VidToIndex(cpu, vid));
}

double RowSpeed(const CpuInfo& cpu, const PState& row) {
  const double multiplier = MultiplierOfFid(cpu, AsCode(row.fid));
  return IsHalfRatio(row) ? multiplier / 2.0 : multiplier;
}

std::string MultiplierText(double multiplier) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1fx", multiplier);
  return text;
}

std::string VoltageText(double volts) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4fV", volts);
  return text;
}

bool IsOfferedDefaultPair(const CpuInfo& cpu, int32_t fid, int32_t vid) {
  if (StepIndexOf(FidSteps(cpu), fid) < 0) return false;
  const std::vector<StepChoice> vids = VidSteps(cpu);
  // Without a voltage encoding the pair keeps the voltage the processor started with.
  if (vids.empty()) return vid == cpu.startVid;
  return StepIndexOf(vids, vid) >= 0;
}

}  // namespace pacetta
