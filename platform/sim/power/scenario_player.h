#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sim/power/power_scenario.h"
#include "platform/sim/power/sim_power.h"
#include "platform/sim/workload/sim_clock.h"

namespace pacetta::sim {

// Performs a power scenario's steps on the machine's power supply when the machine's
// clock reaches them. The clock may be the host's or one a test moves by hand, so the
// player looks at it at least every few milliseconds rather than sleeping to a time.
class PowerScenarioPlayer {
 public:
  // Step times count from `startNs` on `clock`.
  PowerScenarioPlayer(std::vector<PowerStep> steps, SimPower& power,
                      std::shared_ptr<SimClock> clock, uint64_t startNs);
  ~PowerScenarioPlayer();
  PowerScenarioPlayer(const PowerScenarioPlayer&) = delete;
  PowerScenarioPlayer& operator=(const PowerScenarioPlayer&) = delete;

  // Plays the steps on a thread of its own until the last one or destruction.
  void Start();
  // Performs every step due at `nowNs` not yet performed; returns how many it performed.
  size_t RunDue(uint64_t nowNs);
  bool Finished();

 private:
  void Play(std::stop_token stop);

  std::vector<PowerStep> steps_;
  SimPower& power_;
  std::shared_ptr<SimClock> clock_;
  uint64_t startNs_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  size_t next_ = 0;
  std::jthread thread_;
};

}  // namespace pacetta::sim
