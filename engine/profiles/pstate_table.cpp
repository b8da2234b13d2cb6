#include "engine/profiles/pstate_table.h"

#include <algorithm>

#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/vid_conversion.h"

namespace pacetta {

const PState* PStateTable::Row(int32_t index) const {
  if (index == kDefaultsRow || (index >= 0 && index <= lastIndex && index < kMaxPStates)) {
    return &rows[static_cast<size_t>(index)];
  }
  return nullptr;
}

PState* PStateTable::Row(int32_t index) {
  return const_cast<PState*>(static_cast<const PStateTable&>(*this).Row(index));
}

bool PStateTable::IsUsable(int32_t index) const {
  const PState* row = Row(index);
  return row != nullptr && row->enabled != 0;
}

PStateTable BuildTableFromProcessor(const CpuInfo& cpu) {
  PStateTable table;
  const uint32_t count =
      std::min({cpu.candidateCount, kMaxPStateCandidates, static_cast<uint32_t>(kMaxPStates)});
  for (uint32_t i = 0; i < count; ++i) {
    const PStateCandidate& candidate = cpu.candidates[i];
    table.rows[i] =
        PState{candidate.defaultFid, candidate.defaultVid, 1, static_cast<int32_t>(candidate.kind)};
  }
  table.lastIndex = static_cast<int32_t>(count) - 1;
  return table;
}

namespace {

// A closed range of indices that grows to take in each index it is shown.
struct IndexSpan {
  int32_t low = -1;
  int32_t high = -1;

  void Include(int32_t index) {
    if (index < 0) return;
    if (low < 0 || index < low) low = index;
    if (high < 0 || index > high) high = index;
  }
  bool Contains(int32_t index) const { return low >= 0 && index >= low && index <= high; }
};

// Codes fit the byte they are stored in; anything wider is no code of any family here.
int32_t AsCode(uint32_t value) {
  return value > 0xFFFF ? -1 : static_cast<int32_t>(value);
}

bool FidOffered(const CpuInfo& cpu, uint32_t fid) {
  const int32_t code = AsCode(fid);
  const int32_t index = FidToIndex(cpu, code);
  // An index that does not lead back to the code is a FID the processor rounds to a
  // neighbour (a K8 odd code on an even table, a Pentium M ratio below 8 other than 6).
  if (index < 0 || IndexToFid(cpu, index) != code) return false;
  IndexSpan limits;
  limits.Include(FidToIndex(cpu, cpu.minFid));
  limits.Include(FidToIndex(cpu, cpu.maxFid));
  if (limits.Contains(index)) return true;
  // States outside the limits that the processor itself lists (Core 2 dynamic
  // acceleration runs above the highest ratio the limits name).
  const uint32_t count = std::min(cpu.candidateCount, kMaxPStateCandidates);
  for (uint32_t i = 0; i < count; ++i) {
    const PStateCandidate& candidate = cpu.candidates[i];
    if (candidate.defaultFid == fid || candidate.lowestFid == fid || candidate.highestFid == fid)
      return true;
  }
  return false;
}

bool VidOffered(const CpuInfo& cpu, uint32_t vid) {
  IndexSpan span;
  span.Include(VidToIndex(cpu, cpu.minVid));
  span.Include(VidToIndex(cpu, cpu.maxVid));
  const uint32_t count = std::min(cpu.candidateCount, kMaxPStateCandidates);
  for (uint32_t i = 0; i < count; ++i) {
    const PStateCandidate& candidate = cpu.candidates[i];
    for (uint32_t code : {candidate.lowestVid, candidate.highestVid, candidate.defaultVid})
      span.Include(VidToIndex(cpu, AsCode(code)));
  }
  if (span.low < 0) return true;  // no voltage encoding: nothing to judge the VID by
  return span.Contains(VidToIndex(cpu, AsCode(vid)));
}

}  // namespace

bool IsOfferedByProcessor(const CpuInfo& cpu, const PState& state) {
  return FidOffered(cpu, state.fid) && VidOffered(cpu, state.vid);
}

int32_t DisableRowsNotOffered(PStateTable& table, const CpuInfo& cpu) {
  int32_t disabled = 0;
  for (int32_t i = 0; i < table.Count(); ++i) {
    PState& row = table.rows[static_cast<size_t>(i)];
    if (row.enabled != 0 && !IsOfferedByProcessor(cpu, row)) {
      row.enabled = 0;
      ++disabled;
    }
  }
  return disabled;
}

}  // namespace pacetta
