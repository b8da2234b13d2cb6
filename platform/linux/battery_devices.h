#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/batteries.h"
#include "platform/battery_notices.h"
#include "platform/linux/power_supply_tree.h"

namespace pacetta::linux_os {

struct BatteryWatchOptions {
  std::string root = kPowerSupplyRoot;
  // How often the listing is compared when the kernel's device events cannot be
  // heard, and at the latest after an event.
  std::chrono::milliseconds rescanInterval{2000};
  // Whether the kernel's device events (a netlink uevent socket) wake the watcher.
  bool listenToKernel = true;
};

// The system batteries of the power-supply class folder (type "Battery", not a
// peripheral's): energies in µWh, or charges in µAh taken at the battery's voltage,
// become mWh; the rate's sign follows the status. A battery arrives or goes when its
// folder does, or when its "present" turns 1 or 0.
class LinuxBatteries final : public platform::Batteries {
 public:
  explicit LinuxBatteries(BatteryWatchOptions options = {});
  ~LinuxBatteries() override;
  LinuxBatteries(const LinuxBatteries&) = delete;
  LinuxBatteries& operator=(const LinuxBatteries&) = delete;

  std::vector<std::string> Enumerate() override;
  std::optional<platform::BatteryIdentity> Information(const std::string& path) override;
  std::optional<platform::BatteryStatus> Status(const std::string& path) override;
  bool RequestCharge(const std::string& path) override;
  bool RequestDischarge(const std::string& path) override;
  // The first subscription starts the watching thread.
  std::unique_ptr<platform::BatterySubscription> Subscribe(
      platform::BatteryListener& listener) override;

  // One comparison of the listing with the last: posts a notice when it differs. The
  // first only takes note.
  void RescanOnce();
  bool WaitDelivered(std::chrono::milliseconds timeout) { return notices_.WaitDelivered(timeout); }

 private:
  void Watch(std::stop_token stop);

  BatteryWatchOptions options_;
  std::mutex scanMutex_;
  std::optional<std::vector<std::string>> lastListing_;
  platform::BatteryNoticeQueue notices_;
  std::mutex threadMutex_;
  std::jthread thread_;
};

}  // namespace pacetta::linux_os
