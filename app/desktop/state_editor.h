#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The performance-state editor's rules for one row of the table.
enum class StateType { kNormal, kSuperLfm, kIda };
StateType TypeOf(const PState& row);
// Flags bit 4: the row's FID may be chosen; bit 5: its VID may be chosen.
inline constexpr int32_t kFidEditableFlag = 0x10;
inline constexpr int32_t kVidEditableFlag = 0x20;
inline bool FidEditable(const PState& row) {
  return (row.flags & kFidEditableFlag) != 0;
}
inline bool VidEditable(const PState& row) {
  return (row.flags & kVidEditableFlag) != 0;
}

// The intermediate states: from the lowest to the highest enabled normal row whose VID may
// be edited, as noted when the rows are shown. Empty (-1) when there is none.
struct IntermediateRange {
  int32_t first = -1;
  int32_t last = -1;
};
IntermediateRange FindIntermediateRange(const PStateTable& table);
// The same rows (the defaults row aside): nothing to apply.
bool SameRows(const PStateTable& a, const PStateTable& b);

// A VID chosen on `row` (only rows whose VID may be edited take one). With `autoAdjust`
// and the row at either end of `range`, every row strictly between the ends whose VID may
// be edited gets the VID nearest to the straight line through the ends' voltages over
// their multipliers (flat when both ends run at one multiplier). Returns the rows
// re-interpolated.
std::vector<int32_t> ChooseRowVid(PStateTable& table, const CpuInfo& cpu, int32_t row, uint32_t vid,
                                  bool autoAdjust, IntermediateRange range);

}  // namespace pacetta
