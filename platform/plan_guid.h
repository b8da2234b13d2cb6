#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/os_power.h"

namespace pacetta::platform {

// A plan or setting GUID from its text form "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", in
// the system's memory layout (the first three fields little-endian), as the profile
// records store it. Nullopt for any other text.
std::optional<PlanGuid> ParsePlanGuid(std::string_view text);
std::string FormatPlanGuid(const PlanGuid& guid);

}  // namespace pacetta::platform
