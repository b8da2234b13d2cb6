#pragma once
#include <optional>
#include <string>

#include "platform/os_power.h"

namespace pacetta::sim {

// The names, units and choices the simulated system gives its power settings and their
// subgroups, as its own control panel shows them. Nullopt for one it does not define.
std::optional<std::string> SimSubgroupName(const platform::PlanGuid& subgroup);
std::optional<platform::PlanSettingInfo> SimSettingInfo(const platform::PlanSettingId& setting);

}  // namespace pacetta::sim
