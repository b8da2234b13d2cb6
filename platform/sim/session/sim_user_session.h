#pragma once
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/power/sim_power.h"
#include "platform/sim/session/power_request_log.h"
#include "platform/sim/workload/sim_clock.h"
#include "platform/user_session.h"

namespace pacetta::sim {

// The user's desktop session on the simulated PC: the programs running in it, the time
// since the user last touched keyboard or pointer, and the system power requests, which
// put the machine to sleep and wake it a little later as its user would.
class SimUserSession final : public platform::UserSession {
 public:
  // How long a sleep the session asked for lasts, on the machine's clock, before the
  // user wakes the machine again.
  static constexpr uint64_t kSleepNs = 2'000'000'000;
  // What runs in every desktop session, before any program of the user's.
  static constexpr std::array<const char*, 4> kDesktopPrograms = {"systemd", "dbus-daemon", "Xorg",
                                                                  "pacetta"};

  // Times count from `startNs` on `clock`, the machine's start; the user last touched
  // the machine then. Sleep requests act on `power`.
  SimUserSession(std::shared_ptr<SimClock> clock, uint64_t startNs, SimPower& power,
                 PowerRequestLog log = PowerRequestLog());
  SimUserSession(const SimUserSession&) = delete;
  SimUserSession& operator=(const SimUserSession&) = delete;

  std::vector<std::string> RunningProgramNames(size_t limit) override;
  bool IdleTimeAvailable() override { return true; }
  std::optional<uint32_t> IdleMilliseconds() override;
  // Standby and hibernate suspend the machine (false when it sleeps already) and wake
  // it kSleepNs later; power-off is recorded only, as the simulated machine cannot end
  // the program. Every request is recorded, refused or not.
  bool RequestSystemPower(platform::SystemPowerRequest request) override;

  // What the user does. Ending a program that does not run changes nothing.
  void StartProgram(const std::string& name);
  bool EndProgram(const std::string& name);
  // The user touches keyboard or pointer at the machine's moment `atNs`.
  void Input(uint64_t atNs);

  std::vector<PowerRequestRecord> PowerRequests();

 private:
  struct PlannedWake {
    uint64_t atNs = 0;
    uint64_t sleep = 0;  // as SimPower numbers it
  };
  void WakeWhenDue(std::stop_token stop);

  std::shared_ptr<SimClock> clock_;
  const uint64_t startNs_;
  SimPower& power_;
  std::mutex mutex_;
  std::vector<std::string> programs_;  // the user's, in the order they started
  uint64_t lastInputNs_;
  PowerRequestLog log_;
  std::optional<PlannedWake> wake_;
  std::condition_variable_any wakeChanged_;
  // Started with the first sleep; declared last, so it ends before what it uses.
  std::jthread waker_;
};

}  // namespace pacetta::sim
