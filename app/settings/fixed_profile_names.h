#pragma once
#include <array>
#include <string>

#include "app/strings/string_table.h"
#include "engine/profiles/profile.h"

namespace pacetta {

// The names of the four fixed profiles in the language in use (texts 10011 to 10014).
std::array<std::string, kFixedProfileCount> FixedProfileNames(const StringTable& strings);

}  // namespace pacetta
