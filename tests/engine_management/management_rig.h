#pragma once
// A simulated machine managed end to end: identification, the profile store, the sampler
// that measures the management loads, and the manager, with the machine's time steerable
// so a test switches its scripted load from full to idle exactly when it wants.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "cpu/pstate/transition_environment.h"
#include "engine/management/performance_manager.h"
#include "engine/management/sampler_load_source.h"
#include "engine/monitor/sampler.h"
#include "platform/sim/workload/sim_clock.h"
#include "testing/identified_machine.h"
#include "testing/stop_signal.h"

namespace pacetta::testing {

// The host's time plus a jump the test can add.
class SteerableClock final : public sim::SimClock {
 public:
  uint64_t NowNs() override { return host_.NowNs() + offset_.load(); }
  void WaitUntil(uint64_t ns) override {
    while (NowNs() < ns) host_.WaitUntil(ns - offset_.load());
  }
  void Skip(uint64_t ns) { offset_ += ns; }

 private:
  sim::HostClock host_;
  std::atomic<uint64_t> offset_{0};
};

class RecordingPriorities final : public platform::Priorities {
 public:
  bool SetProcessPriority(platform::ProcessPriority priority) override;
  bool SetThreadPriority(platform::ThreadPriority priority) override;
  std::vector<platform::ProcessPriority> Processes();
  std::vector<platform::ThreadPriority> Threads();

 private:
  std::mutex mutex_;
  std::vector<platform::ProcessPriority> processes_;
  std::vector<platform::ThreadPriority> threads_;
};

// Every period report, and waits for a condition on them.
class PeriodLog {
 public:
  void Add(unsigned k, const management::PeriodReport& report);
  // Waits (at most `bound`) until `done` holds on the reports so far.
  bool WaitFor(
      const std::function<bool(const std::vector<std::vector<management::PeriodReport>>&)>& done,
      std::chrono::seconds bound = std::chrono::seconds(30));
  std::vector<management::PeriodReport> Of(unsigned k);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::vector<management::PeriodReport>> reports_ =
      std::vector<std::vector<management::PeriodReport>>(kMaxProcessors);
};

// The fixed profiles used here: 1 holds the slowest table row, 2 the fastest, 3 is on
// demand over every row of the table. Load depth 1, so a period sees its own load.
class ManagementRig {
 public:
  explicit ManagementRig(const std::string& machine, management::ManagementSettings settings = {},
                         std::string load = "script:full@1000s,idle");
  ~ManagementRig();

  void Start(int32_t profile, int32_t acLineStatus = 1);
  management::PerformanceManager& Manager() { return *manager_; }
  ProfileStore& Store() { return store_; }
  CpuInfo& Record(unsigned k) { return machine_.Records()[k]; }
  unsigned Count() const { return static_cast<unsigned>(machine_.Records().size()); }
  const PState& Row(int32_t row) const { return *store_.Table().Row(row); }
  int32_t LastRow() const { return store_.Table().lastIndex; }
  // The state processor k runs, or goes to when a change is pending.
  FidVid Running(unsigned k);
  // From full load to idle: jumps past the scripted full phase.
  void GoIdle() { clock_->Skip(1001'000'000'000ull); }
  // What the program did that the hardware would have refused, one line each.
  std::string Violations() { return machine_.ViolationText(); }
  // Waits until every processor ended a period on the current publication at `state`.
  bool WaitForState(int32_t statePosition, std::chrono::seconds bound = std::chrono::seconds(30));

  PeriodLog log;
  RecordingPriorities priorities;
  StopSignal stop;
  std::vector<std::pair<uint32_t, uint32_t>> balloons;
  std::vector<int32_t> activated;

 private:
  std::shared_ptr<SteerableClock> clock_ = std::make_shared<SteerableClock>();
  IdentifiedMachine machine_;
  ProfileStore store_;
  management::ManagementSettings settings_;
  RefreshObserver views_;  // nothing follows a refresh here
  std::unique_ptr<Sampler> sampler_;
  std::unique_ptr<management::SamplerLoadSource> loads_;
  std::unique_ptr<management::PerformanceManager> manager_;
};

}  // namespace pacetta::testing
