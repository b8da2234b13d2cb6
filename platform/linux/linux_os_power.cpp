#include "platform/linux/linux_os_power.h"

#include <utility>

namespace pacetta::linux_os {

LinuxOsPower::LinuxOsPower(SysfsRoot root, std::vector<BusObject> daemons)
    : daemons_(std::move(daemons)), panel_(std::move(root)) {}

platform::PowerPlans* LinuxOsPower::Plans() {
  if (!probed_) {
    probed_ = true;
    if (auto daemon = PowerProfilePlans::Connect(daemons_)) {
      plans_ = std::make_unique<ProgramPlans>(std::move(daemon), panel_);
    }
  }
  return plans_.get();
}

}  // namespace pacetta::linux_os
