// The system's names for the plan table's settings, which the Profile page shows.
#include "power/os_power_policy.h"

namespace pacetta::power {

std::vector<PlanSettingDescription> OsPowerPolicy::DescribePlanSettings() const {
  std::vector<PlanSettingDescription> described;
  if (plans_ == nullptr) return described;
  for (const platform::PlanSettingId& setting : PlanSettings()) {
    PlanSettingDescription entry;
    if (auto name = plans_->SubgroupName(setting.subgroup); !name.failed) {
      entry.subgroupName = std::move(name.value);
    }
    if (auto info = plans_->DescribeSetting(setting); !info.failed) {
      entry.info = std::move(info.value);
      // A range upside down is no range to edit in.
      if (entry.info.minimum > entry.info.maximum) {
        platform::PlanSettingInfo named;
        named.name = std::move(entry.info.name);
        entry.info = std::move(named);
      }
    }
    described.push_back(std::move(entry));
  }
  return described;
}

}  // namespace pacetta::power
