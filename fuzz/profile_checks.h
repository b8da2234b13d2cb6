// What a loaded profile store promises whatever bytes it was loaded from.
#pragma once
#include "cpu/cpu_info.h"
#include "engine/profiles/profile_store.h"

namespace pacetta::fuzz {

// The table within its rows; every profile's lists within their lengths, naming only
// usable rows and throttle levels 1..8; the count within the room (or the fixed four).
void CheckProfileStore(const ProfileStore& store);

// Both stores save the same bytes.
void CheckSameSave(const ProfileStore& a, const ProfileStore& b);

}  // namespace pacetta::fuzz
