#include "app/desktop/state_editor.h"

#include "app/desktop/pstate_steps.h"

namespace pacetta {

StateType TypeOf(const PState& row) {
  switch (row.flags & kPStateKindMask) {
    case kPStateKindSuperLfm:
      return StateType::kSuperLfm;
    case kPStateKindIda:
      return StateType::kIda;
    default:
      return StateType::kNormal;
  }
}

IntermediateRange FindIntermediateRange(const PStateTable& table) {
  IntermediateRange range;
  for (int32_t i = 0; i < table.Count(); ++i) {
    const PState& row = table.rows[static_cast<size_t>(i)];
    if (row.enabled == 0 || !VidEditable(row) || TypeOf(row) != StateType::kNormal) continue;
    if (range.first < 0) range.first = i;
    range.last = i;
  }
  return range;
}

bool SameRows(const PStateTable& a, const PStateTable& b) {
  if (a.lastIndex != b.lastIndex) return false;
  for (int32_t i = 0; i < a.Count() && i < kMaxPStates; ++i) {
    const PState& x = a.rows[static_cast<size_t>(i)];
    const PState& y = b.rows[static_cast<size_t>(i)];
    if (x.fid != y.fid || x.vid != y.vid || x.enabled != y.enabled || x.flags != y.flags)
      return false;
  }
  return true;
}

std::vector<int32_t> ChooseRowVid(PStateTable& table, const CpuInfo& cpu, int32_t row, uint32_t vid,
                                  bool autoAdjust, IntermediateRange range) {
  PState* chosen = table.Row(row);
  if (chosen == nullptr || row >= kMaxPStates || !VidEditable(*chosen)) return {};
  chosen->vid = vid;
  if (!autoAdjust || range.first < 0 || (row != range.first && row != range.last)) return {};
  const PState* low = table.Row(range.first);
  const PState* high = table.Row(range.last);
  if (low == nullptr || high == nullptr) return {};

  const double mLow = RowSpeed(cpu, *low);
  const double mHigh = RowSpeed(cpu, *high);
  const double vLow = VoltageOfVid(cpu, static_cast<int32_t>(low->vid));
  const double vHigh = VoltageOfVid(cpu, static_cast<int32_t>(high->vid));
  // Two ends at one multiplier have no slope to follow: the rows between take the low
  // end's voltage.
  const double slope = mHigh != mLow ? (vHigh - vLow) / (mHigh - mLow) : 0.0;
  const std::vector<StepChoice> vids = VidSteps(cpu);
  std::vector<int32_t> adjusted;
  for (int32_t i = range.first + 1; i < range.last; ++i) {
    PState& between = table.rows[static_cast<size_t>(i)];
    if (!VidEditable(between)) continue;
    const int32_t nearest = NearestStep(vids, vLow + (RowSpeed(cpu, between) - mLow) * slope);
    if (nearest < 0) continue;
    between.vid = static_cast<uint32_t>(vids[static_cast<size_t>(nearest)].code);
    adjusted.push_back(i);
  }
  return adjusted;
}

}  // namespace pacetta
