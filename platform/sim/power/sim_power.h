#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/batteries.h"
#include "platform/battery_notices.h"
#include "platform/power.h"
#include "platform/power_notices.h"
#include "platform/sim/power/battery_pack.h"

namespace pacetta::sim {

// The simulated machine's power supply: an AC adapter that can be plugged and
// unplugged, batteries that drain with the processors' load and charge on AC power
// (one to start with; a test or scenario sets their charge, inserts and removes them),
// and the system's sleep.
// Notices reach the listeners in the order the events happen, on a thread of the
// machine. While the system sleeps nothing runs: a change of the power source made
// meanwhile is announced after the resume.
class SimPower final : public platform::Power, public platform::Batteries {
 public:
  // The machine starts on AC power, awake, with full batteries.
  explicit SimPower(std::vector<SimBatterySpec> batteries = {SimBatterySpec{}})
      : pack_(std::move(batteries)) {}

  // Where time and load come from; until then the charge moves only when set.
  void AttachMachine(std::function<uint64_t()> clockNs, std::function<double()> busyShare);

  std::optional<platform::PowerStatus> Status() override;
  std::unique_ptr<platform::PowerSubscription> Subscribe(
      platform::PowerListener& listener) override;

  // The batteries, named "sim:BATn" for as long as they are inserted.
  std::vector<std::string> Enumerate() override;
  std::optional<platform::BatteryIdentity> Information(const std::string& path) override;
  std::optional<platform::BatteryStatus> Status(const std::string& path) override;
  bool RequestCharge(const std::string& path) override;
  bool RequestDischarge(const std::string& path) override;
  std::unique_ptr<platform::BatterySubscription> Subscribe(
      platform::BatteryListener& listener) override;

  // What the user does. Each returns false, changing nothing, when it makes no sense
  // now: plugging in a plugged machine, suspending a sleeping one, resuming one awake.
  bool Plug();
  bool Unplug();
  bool Suspend() { return BeginSleep().has_value(); }
  bool Resume();
  // Suspend(), telling which sleep it began (numbered from 1), so that a wake planned
  // for it cannot end a later one.
  std::optional<uint64_t> BeginSleep();
  // Resume() out of sleep `sleep` only: false when the machine has woken from it already.
  bool EndSleep(uint64_t sleep);
  // False above 100 or without a battery.
  bool SetBatteryPercent(unsigned percent);
  // A battery is put in (full) or the last one put in is taken out; false when there
  // is no room or no battery.
  bool InsertBattery(const SimBatterySpec& spec = {});
  bool RemoveBattery();

  // The status query fails while this is set, as when the system cannot be asked.
  void SetStatusFails(bool fails);
  // True from a suspend whose notice every listener has handled until the resume.
  bool Asleep();
  // True once every notice so far has been delivered, within `timeout`.
  bool WaitDelivered(std::chrono::milliseconds timeout) {
    return notices_.WaitDelivered(timeout) && batteryNotices_.WaitDelivered(timeout);
  }

 private:
  platform::PowerStatus StatusLocked();
  void AdvanceLocked();
  SimBatteryCell* CellLocked(const std::string& path);
  // Announces a change of the AC line or battery flag unless the system sleeps.
  void ChangeLocked(const platform::PowerStatus& before);
  void ResumeLocked();

  std::mutex mutex_;
  bool acOnline_ = true;
  SimBatteryPack pack_;
  std::function<uint64_t()> clockNs_;
  std::function<double()> busyShare_;
  bool statusFails_ = false;
  // From Suspend() to Resume(): the program runs no more once its suspend notice is done.
  bool sleeping_ = false;
  bool asleep_ = false;
  uint64_t sleeps_ = 0;
  platform::PowerStatus beforeSleep_;
  platform::PowerNoticeQueue notices_;
  platform::BatteryNoticeQueue batteryNotices_;
};

}  // namespace pacetta::sim
