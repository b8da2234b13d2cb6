#include <algorithm>
#include <cmath>

#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/vid_conversion.h"
#include "engine/profiles/default_list.h"
#include "engine/profiles/default_sources.h"

namespace pacetta {
namespace {

// The VID code whose voltage is nearest to `volts`, looked for between the processor's
// lowest and highest VID; the highest VID when the processor has no voltage encoding.
int32_t NearestVid(const CpuInfo& cpu, double volts) {
  const int32_t a = VidToIndex(cpu, cpu.minVid);
  const int32_t b = VidToIndex(cpu, cpu.maxVid);
  if (a < 0 || b < 0) return cpu.maxVid;
  int32_t best = std::min(a, b);
  for (int32_t index = std::min(a, b); index <= std::max(a, b); ++index) {
    if (std::abs(VidIndexToVoltage(cpu, index) - volts) <
        std::abs(VidIndexToVoltage(cpu, best) - volts))
      best = index;
  }
  return IndexToVid(cpu, best);
}

}  // namespace

std::vector<PState> InterpolateStates(const CpuInfo& cpu) {
  std::vector<PState> states;
  const int32_t low = FidToIndex(cpu, cpu.minFid);
  const int32_t high = FidToIndex(cpu, cpu.maxFid);
  if (low < 0 || high < low) return states;
  const double mLow = FidIndexToMultiplier(cpu, low);
  const double mHigh = FidIndexToMultiplier(cpu, high);
  const double vLow = VidIndexToVoltage(cpu, VidToIndex(cpu, cpu.minVid));
  const double vHigh = VidIndexToVoltage(cpu, VidToIndex(cpu, cpu.maxVid));
  // Equal multipliers at both ends give one voltage: slope 0, never a division by zero.
  const double slope = mHigh != mLow ? (vHigh - vLow) / (mHigh - mLow) : 0.0;
  for (int32_t index = low; index <= high && states.size() < kMaxDefaultStates; ++index) {
    const double volts = vLow + (FidIndexToMultiplier(cpu, index) - mLow) * slope;
    states.push_back(DefaultEntry(static_cast<uint32_t>(IndexToFid(cpu, index)),
                                  static_cast<uint32_t>(NearestVid(cpu, volts))));
  }
  return states;
}

}  // namespace pacetta
