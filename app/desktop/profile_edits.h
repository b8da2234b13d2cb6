#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The rows a profile's state check list offers: the enabled rows of the table.
std::vector<int32_t> ListedStateRows(const PStateTable& table);
bool ListsState(const ProfileHalf& half, int32_t row);
bool ListsThrottle(const ProfileHalf& half, int32_t level);

// The half's lists from the ticked rows and levels. The manager walks a list from the
// slowest entry to the fastest, so the rows are put in order of speed (a half-ratio
// state counts at half its multiplier; equal speeds keep table order) and the levels
// rising.
void SetListedStates(ProfileHalf& half, std::vector<int32_t> rows, const PStateTable& table,
                     const CpuInfo& cpu);
void SetListedThrottles(ProfileHalf& half, std::vector<int32_t> levels);

// The CPU settings of both halves agree (lists, switches, target and intervals).
bool SameCpuSettings(const Profile& a, const Profile& b);

// "Power saving" and "Maximal performance" hold one state and one throttle level: on
// their pages ticking an entry unticks the others.
bool HoldsOneChoice(int32_t profileIndex);
// Only profiles that may move between several states use a target load and intervals.
bool UsesLoadTargets(int32_t profileIndex);

// A typed profile name as the profile keeps it: without surrounding blanks, cut to the
// 32 bytes of the record without splitting a character. Nullopt when nothing is left.
std::optional<std::string> ProfileNameFrom(std::string_view typed);

}  // namespace pacetta
