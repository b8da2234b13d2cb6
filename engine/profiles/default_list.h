#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// Each default entry is a normal state whose VID the editor may change.
inline constexpr int32_t kDefaultEntryFlags = 0x20;
// The list holds at most as many states as the table has rows.
inline constexpr size_t kMaxDefaultStates = kMaxPStates;

// The default performance-state list: the operating points a processor is known to run,
// from the firmware's PowerNow! block (K7, K8), the built-in K8 and Pentium M tables
// (vendors' data sheets), or interpolated (Pentium 4, Core). Built at most once per run;
// never stored. Each entry is a normal state with an editable VID (flags 20h), slowest
// first.
struct DefaultList {
  std::vector<PState> entries;
};

// `firmware` is the copy of physical memory F0000h..FFFFFh (empty or zeroed when it could
// not be mapped: the firmware search then finds nothing).
DefaultList BuildDefaultList(const CpuInfo& cpu, std::span<const uint8_t> firmware);

// The performance-state editor's "Defaults": the processor's candidate states, enabled
// as the list says (every one when the list is empty, or when none of its entries is a
// candidate). `rangeChanged` is set when the result's row count differs from the
// editor's `editorLastIndex` + 1.
PStateTable ApplyDefaultsToTable(const CpuInfo& cpu, const DefaultList& list,
                                 int32_t editorLastIndex, bool& rangeChanged);

// A profile page's "Defaults" for profile `profileIndex` (nothing for "No management"):
// both halves' CPU settings and default states on `table`.
void ResetProfileDefaults(Profile& profile, int32_t profileIndex, const PStateTable& table,
                          const CpuInfo& cpu, const DefaultList& list, bool performanceStates,
                          bool clockModulation);

}  // namespace pacetta
