#pragma once
#include <memory>
#include <vector>

#include "platform/linux/backlight_panel.h"
#include "platform/linux/power_profiles.h"
#include "platform/linux/program_plans.h"
#include "platform/os_power.h"

namespace pacetta::linux_os {

// The system's power policy on Linux: the power-profiles daemon's profiles as plans of
// the newer generation, beside them the program's own plans whose display brightness
// the backlight carries out, the backlight as the panel, and no numbered schemes. Whether
// the daemon serves is decided once, at the first question for the plans (the program's
// start): a daemon that comes later is not used, one that goes away fails its calls.
class LinuxOsPower final : public platform::OsPower {
 public:
  explicit LinuxOsPower(SysfsRoot root = SysfsRoot(),
                        std::vector<BusObject> daemons = {kUpowerProfiles, kHadessProfiles});

  platform::LegacyPowerSchemes* Legacy() override { return nullptr; }
  platform::PowerPlans* Plans() override;
  platform::PanelBrightness& Panel() override { return panel_; }

 private:
  std::vector<BusObject> daemons_;
  bool probed_ = false;
  BacklightPanel panel_;
  std::unique_ptr<ProgramPlans> plans_;  // drives panel_
};

}  // namespace pacetta::linux_os
