#include "app/battery/battery_monitor.h"

#include "app/battery/battery_text_table.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"

namespace pacetta {

battery::BatteryOptions BatteryOptionsOf(const AppSettings& settings) {
  const BatterySettings& stored = settings.battery;
  battery::BatteryOptions options;
  options.devNotify = stored.devNotifyEnable != 0;
  options.pollEnable = stored.pollEnable != 0;
  options.pollIntervalMs = stored.pollIntervalMs;
  options.estimationAverageMs = stored.estimationAverageMs;
  options.forceRateEstimate = stored.chargeRateForceEstimate != 0;
  options.forceLifeTimeEstimate = stored.lifeTimeForceEstimate != 0;
  options.showDischarging = settings.tray.showBatteryDischarging != 0;
  options.showCharging = settings.tray.showBatteryCharging != 0;
  options.showOnAc = settings.tray.showBatteryOnAc != 0;
  options.fahrenheit = settings.tray.tempUnits == 1;
  return options;
}

BatteryMonitor::BatteryMonitor(platform::Power& power, platform::Batteries& batteries,
                               const StringTable& strings, const AppSettings& settings)
    : power_(power),
      batteries_(batteries),
      strings_(strings),
      settings_(settings),
      texts_(BatteryTextTable(strings)),
      devices_(batteries) {
  Configure();
}

BatteryMonitor::~BatteryMonitor() {
  StopListening();
}

void BatteryMonitor::Configure() {
  options_ = BatteryOptionsOf(settings_);
  configuredRefreshMs_ = settings_.intervals.refreshMs;
  derived_ = battery::DeriveBatteryValues(options_, configuredRefreshMs_);
}

void BatteryMonitor::Listen(std::function<void()> devicesChanged) {
  devicesChanged_ = std::move(devicesChanged);
  subscription_ = batteries_.Subscribe(*this);
}

void BatteryMonitor::StopListening() {
  // Waits for a notice being delivered, so nothing calls back once this returns.
  subscription_.reset();
}

void BatteryMonitor::OnBatteryDevicesChanged() {
  if (devicesChanged_) devicesChanged_();
}

bool BatteryMonitor::DevicesChanged() {
  if (!options_.devNotify) return false;
  Rebuild();
  return true;
}

void BatteryMonitor::Rebuild() {
  devices_.Rebuild(options_);
  // A new list starts its reads together, each device read once now.
  for (battery::BatteryDevice& device : devices_.Devices()) devices_.Read(device);
  for (battery::BatteryDevice& device : devices_.Devices()) device.tick = 1 % derived_.pollDivider;
  ++listSerial_;
}

void BatteryMonitor::Tick() {
  // The update interval may have changed with another page's "Apply".
  if (settings_.intervals.refreshMs != configuredRefreshMs_) Configure();
  ReadStatus();
  devices_.Tick(derived_);
}

void BatteryMonitor::ReadStatus() {
  if (const auto status = power_.Status()) status_ = status;
}

battery::BatteryInfoTexts BatteryMonitor::InfoTexts() const {
  return battery::MakeBatteryInfoTexts(status_.value_or(platform::PowerStatus{}), texts_);
}

std::string BatteryMonitor::ChargeAndTime() const {
  if (!status_) return {};
  return battery::ChargeText(*status_, texts_) + ", " +
         battery::FormatBatteryTime(status_->batteryLifeTime, texts_);
}

BatteryIconNow BatteryMonitor::Icon() const {
  BatteryIconNow icon;
  icon.status = status_.value_or(platform::PowerStatus{});
  icon.decision = battery::DecideBatteryIcon(icon.status, options_, texts_);
  const bool charging = icon.status.batteryFlag != platform::kBatteryUnknown &&
                        icon.status.batteryFlag != platform::kNoSystemBattery &&
                        (icon.status.batteryFlag & platform::kBatteryCharging) != 0;
  icon.mode =
      charging ? settings_.tray.batteryIconModeCharging : settings_.tray.batteryIconModeDischarging;
  icon.textColor = settings_.colors.batteryIconText;
  return icon;
}

battery::DevicePageTexts BatteryMonitor::DeviceTexts(size_t index) const {
  return battery::MakeDevicePageTexts(Device(index).slot, derived_, options_, texts_);
}

std::string BatteryMonitor::DeviceItemText(size_t index) const {
  return FormatText(strings_.Get(kStrBatteryDevice), {Device(index).slot.name});
}

void BatteryMonitor::ReadDevice(size_t index) {
  if (index < DeviceCount()) devices_.Read(devices_.Devices()[index]);
}

bool BatteryMonitor::RequestCharge(size_t index) {
  return index < DeviceCount() && batteries_.RequestCharge(Device(index).slot.path);
}

bool BatteryMonitor::RequestDischarge(size_t index) {
  return index < DeviceCount() && batteries_.RequestDischarge(Device(index).slot.path);
}

}  // namespace pacetta
