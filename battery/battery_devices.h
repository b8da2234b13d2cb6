#pragma once
#include <cstdint>
#include <vector>

#include "battery/battery_options.h"
#include "battery/battery_slot.h"
#include "platform/batteries.h"

namespace pacetta::battery {

// One listed battery device as its page keeps it: the slot, whether the device answers,
// and the tick counter that spaces its reads.
struct BatteryDevice {
  BatterySlot slot;
  bool present = false;
  uint32_t tick = 0;
};

// The list of battery devices: rebuilt at start, on request and when a battery arrives
// or goes; each device is read every poll divider's update tick.
class BatteryDevices {
 public:
  explicit BatteryDevices(platform::Batteries& batteries) : batteries_(batteries) {}

  // Lists the devices afresh (none without polling), at most eight, and reads each.
  void Rebuild(const BatteryOptions& options);
  // One update tick: reads the devices whose counter is at 0. Returns how many it read.
  size_t Tick(const BatteryDerived& derived);
  // Reads one device now: its status, and its identity too when it answers again.
  void Read(BatteryDevice& device);

  std::vector<BatteryDevice>& Devices() { return devices_; }
  const std::vector<BatteryDevice>& Devices() const { return devices_; }

 private:
  platform::Batteries& batteries_;
  std::vector<BatteryDevice> devices_;
};

}  // namespace pacetta::battery
