#include "battery/battery_devices.h"

namespace pacetta::battery {

void BatteryDevices::Rebuild(const BatteryOptions& options) {
  devices_.clear();
  if (!options.pollEnable) return;
  auto paths = batteries_.Enumerate();
  if (paths.size() > platform::kMaxBatteryDevices) paths.resize(platform::kMaxBatteryDevices);
  for (auto& path : paths) {
    BatteryDevice device;
    device.slot.path = std::move(path);
    devices_.push_back(std::move(device));
  }
}

void BatteryDevices::Read(BatteryDevice& device) {
  const auto status = batteries_.Status(device.slot.path);
  if (!status) {
    device.present = false;
    device.slot.Clear();
    return;
  }
  if (!device.present) {
    // Back (or here for the first time): what it is may have changed with it.
    if (const auto identity = batteries_.Information(device.slot.path)) {
      device.slot.TakeIdentity(*identity);
    }
    device.present = true;
  }
  device.slot.TakeStatus(*status);
}

size_t BatteryDevices::Tick(const BatteryDerived& derived) {
  size_t read = 0;
  for (auto& device : devices_) {
    if (device.tick == 0) {
      Read(device);
      ++read;
    }
    if (++device.tick >= derived.pollDivider) device.tick = 0;
  }
  return read;
}

}  // namespace pacetta::battery
