#include "engine/profiles/default_list.h"

#include <algorithm>

#include "engine/profiles/default_sources.h"

namespace pacetta {
namespace {

bool SameState(const PState& row, const PState& entry) {
  return row.fid == entry.fid && row.flags == entry.flags;
}

// The entries that name an enabled row of `table`, in list order: an entry for a state
// the processor does not offer ticks and enables nothing.
std::vector<PState> EntriesInTable(const DefaultList& list, const PStateTable& table) {
  std::vector<PState> found;
  for (const PState& entry : list.entries) {
    for (int32_t i = 0; i < table.Count(); ++i) {
      const PState& row = table.rows[static_cast<size_t>(i)];
      if (row.enabled != 0 && SameState(row, entry)) {
        found.push_back(entry);
        break;
      }
    }
  }
  return found;
}

// Ticks exactly the enabled rows that `wanted` accepts, in table order (slowest first).
template <typename Wanted>
void TickStates(ProfileHalf& half, const PStateTable& table, Wanted wanted) {
  half.lastState = -1;
  for (int32_t i = 0; i < table.Count() && half.lastState + 1 < kMaxStatesPerList; ++i) {
    const PState& row = table.rows[static_cast<size_t>(i)];
    if (row.enabled != 0 && wanted(row)) half.states[++half.lastState] = i;
  }
}

}  // namespace

PState DefaultEntry(uint32_t fid, uint32_t vid) {
  return PState{fid, vid, 1, kDefaultEntryFlags};
}

DefaultList BuildDefaultList(const CpuInfo& cpu, std::span<const uint8_t> firmware) {
  // In this order, each step possibly replacing what an earlier one found.
  DefaultList list;
  if (cpu.isK8) {
    auto states = LookUpK8OperatingPoints(cpu);
    if (!states) states = FindFirmwareStates(firmware);
    if (states) list.entries = std::move(*states);
  }
  if (cpu.isK7) {
    if (auto states = FindFirmwareStates(firmware)) list.entries = std::move(*states);
  }
  if (cpu.isPentiumM) {
    if (auto states = LookUpPentiumMOperatingPoints(cpu)) list.entries = std::move(*states);
  }
  if (cpu.isPentium4 || cpu.isIntelCore) list.entries = InterpolateStates(cpu);
  return list;
}

PStateTable ApplyDefaultsToTable(const CpuInfo& cpu, const DefaultList& list,
                                 int32_t editorLastIndex, bool& rangeChanged) {
  // Every candidate the table has room for: 64 rows, as the table holds.
  PStateTable table = BuildTableFromProcessor(cpu);
  rangeChanged = table.lastIndex != editorLastIndex;
  const std::vector<PState> entries = EntriesInTable(list, table);
  // A list none of whose entries the processor offers says nothing about it: every
  // candidate stays enabled, as with an empty list.
  if (entries.empty()) return table;
  for (int32_t i = 0; i < table.Count(); ++i) table.rows[static_cast<size_t>(i)].enabled = 0;
  for (const PState& entry : entries) {
    for (int32_t i = 0; i < table.Count(); ++i) {
      PState& row = table.rows[static_cast<size_t>(i)];
      if (SameState(row, entry)) {
        row.vid = entry.vid;
        row.enabled = 1;
        break;
      }
    }
  }
  return table;
}

void ResetProfileDefaults(Profile& profile, int32_t profileIndex, const PStateTable& table,
                          const CpuInfo& cpu, const DefaultList& list, bool performanceStates,
                          bool clockModulation) {
  if (profileIndex == kNoManagementProfile) return;
  const std::vector<PState> entries = EntriesInTable(list, table);
  for (ProfileHalf* half : {&profile.ac, &profile.dc}) {
    half->useFidVid = performanceStates ? 1 : 0;
    half->useThrottle = 0;
    half->targetLoad = kDefaultTargetLoad;
    half->upIntervalMs = kDefaultIntervalMs;
    half->downIntervalMs = kDefaultIntervalMs;
    if (clockModulation) half->lastThrottle = -1;
    if (!performanceStates) continue;

    if (!entries.empty()) {
      // Power saving: the slowest listed state; maximal performance: the fastest; any
      // other profile: every listed state.
      std::vector<PState> chosen = entries;
      if (profileIndex == kPowerSavingProfile) chosen = {entries.front()};
      if (profileIndex == kMaximalPerformanceProfile) chosen = {entries.back()};
      TickStates(*half, table, [&chosen](const PState& row) {
        return std::any_of(chosen.begin(), chosen.end(),
                           [&row](const PState& entry) { return SameState(row, entry); });
      });
      continue;
    }
    // No list: power saving runs at the lowest FID and maximal performance at the highest;
    // any other profile may use every enabled state.
    if (profileIndex == kPowerSavingProfile || profileIndex == kMaximalPerformanceProfile) {
      const int64_t fid = profileIndex == kPowerSavingProfile ? cpu.minFid : cpu.maxFid;
      TickStates(*half, table, [fid](const PState& row) { return int64_t{row.fid} == fid; });
    } else {
      TickStates(*half, table, [](const PState&) { return true; });
    }
  }
  ApplyFixedProfileRules(profile, profileIndex);
}

}  // namespace pacetta
