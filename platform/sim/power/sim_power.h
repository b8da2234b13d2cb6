#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/power.h"
#include "platform/power_notices.h"

namespace pacetta::sim {

// The simulated machine's power supply: an AC adapter that can be plugged and
// unplugged, one battery whose charge a test or scenario sets, and the system's sleep.
// Notices reach the listeners in the order the events happen, on a thread of the
// machine. While the system sleeps nothing runs: a change of the power source made
// meanwhile is announced after the resume.
class SimPower final : public platform::Power {
 public:
  // The machine starts on AC power, awake, with a full battery.
  SimPower() = default;

  std::optional<platform::PowerStatus> Status() override;
  std::unique_ptr<platform::PowerSubscription> Subscribe(
      platform::PowerListener& listener) override;

  // What the user does. Each returns false, changing nothing, when it makes no sense
  // now: plugging in a plugged machine, suspending a sleeping one, resuming one awake.
  bool Plug();
  bool Unplug();
  bool Suspend();
  bool Resume();
  // False above 100.
  bool SetBatteryPercent(unsigned percent);

  // The status query fails while this is set, as when the system cannot be asked.
  void SetStatusFails(bool fails);
  // True from a suspend whose notice every listener has handled until the resume.
  bool Asleep();
  // True once every notice so far has been delivered, within `timeout`.
  bool WaitDelivered(std::chrono::milliseconds timeout) { return notices_.WaitDelivered(timeout); }

 private:
  platform::PowerStatus StatusLocked() const;
  // Announces a change of the AC line or battery flag unless the system sleeps.
  void ChangeLocked(const platform::PowerStatus& before);

  std::mutex mutex_;
  bool acOnline_ = true;
  unsigned batteryPercent_ = 100;
  bool statusFails_ = false;
  // From Suspend() to Resume(): the program runs no more once its suspend notice is done.
  bool sleeping_ = false;
  bool asleep_ = false;
  uint64_t sleeps_ = 0;
  platform::PowerStatus beforeSleep_;
  platform::PowerNoticeQueue notices_;
};

}  // namespace pacetta::sim
