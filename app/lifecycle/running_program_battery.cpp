// The running program's battery monitor: built at the window's start, told of arrivals
// and removals on the loop, and the Battery info page's "Apply".
#include "app/lifecycle/running_program.h"

namespace pacetta {

void RunningProgram::StartBatteryMonitor() {
  battery_ = std::make_unique<BatteryMonitor>(platform_.power, platform_.batteries,
                                              application_.Strings(), settings_);
  // The global status first, so the first view shows it; then the devices.
  battery_->Tick();
  battery_->Rebuild();
  battery_->Listen([this] { window_.Post([this] { OnBatteryDevicesChanged(); }); });
}

void RunningProgram::OnBatteryDevicesChanged() {
  if (shutDown_ || !battery_) return;
  // The window's device items follow the new list at this update.
  if (battery_->DevicesChanged() && sampler_) UpdateViews(false);
}

void RunningProgram::ApplyBattery(const BatterySettings& battery, const TraySettings& tray) {
  if (shutDown_ || !battery_) return;
  settings_.battery = battery;
  settings_.tray.showBatteryDischarging = tray.showBatteryDischarging;
  settings_.tray.showBatteryCharging = tray.showBatteryCharging;
  settings_.tray.showBatteryOnAc = tray.showBatteryOnAc;
  battery_->Configure();
  battery_->Rebuild();
  if (sampler_) UpdateViews(false);
}

}  // namespace pacetta
