#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "engine/profiles/profile.h"

namespace pacetta {

// "ProfileData": 194 bytes per profile (name 32, AC half 81, battery half 81).
// A half: useFidVid (1), lastState (1, signed), 64 state indices, useThrottle (1),
// lastThrottle (1, signed), 8 throttle levels, targetLoad (1), upInterval (2),
// downInterval (2), little-endian. Only entries 0..last are written; the rest are 0.
inline constexpr size_t kProfileRecordSize = 194;
inline constexpr size_t kProfileHalfRecordSize = 81;
// "ProfileExtData": 16 bytes of scheme link and 480 of policy per profile.
inline constexpr size_t kProfileExtRecordSize = kOsLinkSize + kOsPolicySize;

// Reads one 194-byte record into the name and both halves of `profile` (thresholds are
// not derived here). Stored list lengths are not trusted: lastState is kept within
// -1..63, lastThrottle within -1..7, and throttle levels outside 1..8 are dropped.
// False, with `profile` untouched, when fewer than 194 bytes are given.
bool UnpackProfileRecord(std::span<const uint8_t> record, Profile& profile);
// Appends the 194-byte record of `profile`.
void PackProfileRecord(const Profile& profile, std::vector<uint8_t>& out);

// Reads osLink and osPolicy from one 496-byte record; false when it is short.
bool UnpackProfileExtRecord(std::span<const uint8_t> record, Profile& profile);
void PackProfileExtRecord(const Profile& profile, std::vector<uint8_t>& out);

// Drops throttle levels outside 1..8 and clamps both list lengths, closing gaps.
void SanitiseLists(ProfileHalf& half);

}  // namespace pacetta
