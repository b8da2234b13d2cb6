#include "app/settings/fixed_profile_names.h"

#include "app/strings/string_ids.h"

namespace pacetta {

std::array<std::string, kFixedProfileCount> FixedProfileNames(const StringTable& strings) {
  return {strings.Get(kStrProfileNoManagement), strings.Get(kStrProfilePowerSaving),
          strings.Get(kStrProfileMaxPerformance), strings.Get(kStrProfileOnDemand)};
}

}  // namespace pacetta
