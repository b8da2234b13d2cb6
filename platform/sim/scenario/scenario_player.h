#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sim/pc/sim_local_clock.h"
#include "platform/sim/power/sim_power.h"
#include "platform/sim/scenario/scenario.h"
#include "platform/sim/session/sim_user_session.h"
#include "platform/sim/workload/sim_clock.h"

namespace pacetta::sim {

// What a scenario's steps act on; each outlives the player.
struct ScenarioTargets {
  SimPower& power;
  SimUserSession& session;
  SimLocalClock& wallClock;
};

// Performs a scenario's steps on the machine when the machine's clock reaches them.
// The clock may be the host's or one a test moves by hand, so the player looks at it at
// least every few milliseconds rather than sleeping to a time.
class ScenarioPlayer {
 public:
  // Step times count from `startNs` on `clock`.
  ScenarioPlayer(std::vector<ScenarioStep> steps, ScenarioTargets targets,
                 std::shared_ptr<SimClock> clock, uint64_t startNs);
  ~ScenarioPlayer();
  ScenarioPlayer(const ScenarioPlayer&) = delete;
  ScenarioPlayer& operator=(const ScenarioPlayer&) = delete;

  // Plays the steps on a thread of its own until the last one or destruction.
  void Start();
  // Performs every step due at `nowNs` not yet performed; returns how many it performed.
  size_t RunDue(uint64_t nowNs);
  bool Finished();

 private:
  void Play(std::stop_token stop);
  void Perform(const ScenarioStep& step);

  std::vector<ScenarioStep> steps_;
  ScenarioTargets targets_;
  std::shared_ptr<SimClock> clock_;
  uint64_t startNs_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  size_t next_ = 0;
  std::jthread thread_;
};

}  // namespace pacetta::sim
