#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/logind_sleep.h"
#include "platform/linux/power_supply_tree.h"
#include "platform/power.h"
#include "platform/power_notices.h"

namespace pacetta::linux_os {

struct PowerWatchOptions {
  std::string root = kPowerSupplyRoot;
  // How often the power supplies and the sleep clock are looked at.
  std::chrono::milliseconds pollInterval{1000};
  // Nanoseconds the machine has slept since boot; null = CLOCK_BOOTTIME minus
  // CLOCK_MONOTONIC, which differ by exactly the time spent suspended.
  std::function<std::optional<int64_t>()> sleptNs;
  // A growth of the slept time of at least this much between two looks is a resume.
  std::chrono::milliseconds shortestSleep{200};
  // Whether the login manager on the system bus is asked to announce sleeps.
  bool watchLogind = true;
};

struct LogindWatchHolder;

// Power status and notices of the real machine. The status comes from the power-supply
// class folder; changes are found by looking at it every poll interval while someone
// listens. While someone listens, the login manager announces a sleep before it happens
// (the sleep waits until every listener has returned from kSuspending) and the wake
// after it. Without it a resume still shows as a jump of the time the machine has
// slept, and no suspend is announced (docs/simulated-power.md).
class LinuxPower final : public platform::Power {
 public:
  explicit LinuxPower(PowerWatchOptions options = {});
  ~LinuxPower() override;
  LinuxPower(const LinuxPower&) = delete;
  LinuxPower& operator=(const LinuxPower&) = delete;

  std::optional<platform::PowerStatus> Status() override;
  // The first subscription starts the watching thread; the login manager is listened
  // to while at least one subscription lives.
  std::unique_ptr<platform::PowerSubscription> Subscribe(
      platform::PowerListener& listener) override;

  // One look: posts a resume when the machine slept since the last look (unless the
  // login manager announced that sleep), then a status change when the AC line or
  // battery flag differs. The first look only takes note.
  void PollOnce();
  bool WaitDelivered(std::chrono::milliseconds timeout) { return notices_.WaitDelivered(timeout); }

 private:
  void Watch(std::stop_token stop);
  std::unique_ptr<LogindSleepWatch> StartSleepWatch();
  void OnAnnouncedSleep(UniqueFd delayLock);
  void OnAnnouncedWake();
  void OnSleepWatchEnded();

  PowerWatchOptions options_;
  std::mutex pollMutex_;
  bool looked_ = false;
  std::optional<int64_t> lastSlept_;
  std::optional<platform::PowerStatus> lastStatus_;
  // Between the login manager's two announcements of a sleep: the wake announcement,
  // not the sleep clock, tells of the resume.
  bool announcedSleep_ = false;
  platform::PowerNoticeQueue notices_;
  std::mutex threadMutex_;
  std::condition_variable_any wake_;
  std::jthread thread_;
  std::shared_ptr<LogindWatchHolder> sleepWatch_;
};

}  // namespace pacetta::linux_os
