#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

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
};

// Power status and notices of the real machine. The status comes from the power-supply
// class folder; changes are found by looking at it every poll interval while someone
// listens. A resume shows as a jump of the time the machine has slept. Nothing warns of
// a coming suspend here, so listeners see only the resume (docs/simulated-power.md).
class LinuxPower final : public platform::Power {
 public:
  explicit LinuxPower(PowerWatchOptions options = {});
  ~LinuxPower() override;
  LinuxPower(const LinuxPower&) = delete;
  LinuxPower& operator=(const LinuxPower&) = delete;

  std::optional<platform::PowerStatus> Status() override;
  // The first subscription starts the watching thread.
  std::unique_ptr<platform::PowerSubscription> Subscribe(
      platform::PowerListener& listener) override;

  // One look: posts a resume when the machine slept since the last look, then a status
  // change when the AC line or battery flag differs. The first look only takes note.
  void PollOnce();
  bool WaitDelivered(std::chrono::milliseconds timeout) { return notices_.WaitDelivered(timeout); }

 private:
  void Watch(std::stop_token stop);

  PowerWatchOptions options_;
  std::mutex pollMutex_;
  bool looked_ = false;
  std::optional<int64_t> lastSlept_;
  std::optional<platform::PowerStatus> lastStatus_;
  platform::PowerNoticeQueue notices_;
  std::mutex threadMutex_;
  std::condition_variable_any wake_;
  std::jthread thread_;
};

}  // namespace pacetta::linux_os
