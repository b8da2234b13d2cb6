#pragma once
#include <array>
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// One row of the performance-state table: a FID/VID pair in the processor's own encoding.
struct PState {
  uint32_t fid = 0;
  uint32_t vid = 0;
  uint32_t enabled = 0;  // 0 = no profile may use the row
  int32_t flags = 0;     // low four bits: kPStateKind*; higher bits as the candidate kind
  bool operator==(const PState&) const = default;
};

inline constexpr int32_t kPStateKindMask = 0xF;
inline constexpr int32_t kPStateKindNormal = 0;
inline constexpr int32_t kPStateKindSuperLfm = 1;  // runs at half the bus ratio
inline constexpr int32_t kPStateKindIda = 2;

inline constexpr int32_t kMaxPStates = 64;
// Row 64 holds the default FID/VID pair that restoring defaults writes; it is never
// stored and never part of the editable range.
inline constexpr int32_t kDefaultsRow = kMaxPStates;

inline bool IsHalfRatio(const PState& state) {
  return (state.flags & kPStateKindMask) == kPStateKindSuperLfm;
}

struct PStateTable {
  std::array<PState, kMaxPStates + 1> rows{};
  int32_t lastIndex = -1;  // -1 = empty table; never above kMaxPStates - 1

  int32_t Count() const { return lastIndex + 1; }
  // Null for an index that is neither within 0..lastIndex nor the defaults row, so a
  // stored or computed index can never reach past the table.
  const PState* Row(int32_t index) const;
  PState* Row(int32_t index);
  // Within 0..lastIndex (or the defaults row) and enabled: a profile may use it.
  bool IsUsable(int32_t index) const;
};

// The table as the processor reports its states: one enabled row per candidate (its
// default FID and VID, its kind word as flags), at most kMaxPStates rows.
PStateTable BuildTableFromProcessor(const CpuInfo& cpu);

// Whether the processor offers the row's FID and VID: the FID must be one the processor
// can run (an exact FID index inside the range of its limits, or one of its candidates'
// FIDs), the VID inside the voltage span of its limits and candidates. A processor
// without a voltage encoding has no span, and its rows' VIDs are not judged.
bool IsOfferedByProcessor(const CpuInfo& cpu, const PState& state);

// Clears `enabled` of every row the processor does not offer; returns how many were
// switched off.
int32_t DisableRowsNotOffered(PStateTable& table, const CpuInfo& cpu);

}  // namespace pacetta
