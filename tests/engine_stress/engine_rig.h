#pragma once
// The whole engine on a simulated PC in real time: every processor identified as start-up
// does, the start-up calibration, the sampler with its monitoring threads, and the
// performance manager with its management threads measuring through the sampler.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/management/performance_manager.h"
#include "engine/management/sampler_load_source.h"
#include "engine/monitor/sampler.h"
#include "testing/identified_machine.h"
#include "testing/stop_signal.h"

namespace pacetta::testing {

// Priority requests from the main thread and the management threads, counted.
class CountingPriorities final : public platform::Priorities {
 public:
  bool SetProcessPriority(platform::ProcessPriority) override {
    ++processChanges;
    return true;
  }
  bool SetThreadPriority(platform::ThreadPriority) override {
    ++threadChanges;
    return true;
  }
  std::atomic<int> processChanges{0};
  std::atomic<int> threadChanges{0};
};

// Refreshes handed on, counted (main thread only).
struct CountingViews final : RefreshObserver {
  void UpdateViews(bool) override { ++updates; }
  void WriteLogRecord() override { ++records; }
  int updates = 0;
  int records = 0;
};

// The end of every management period, and a wait on it.
class PeriodSignal {
 public:
  void Ended(unsigned k, bool changed);
  uint64_t Count(unsigned k);
  // Periods that issued a transition or a throttle write, on any processor.
  uint64_t Changes();
  // Waits (at most `bound`) until `done` holds, looking again after every period's end.
  bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  std::vector<uint64_t> counts_ = std::vector<uint64_t>(kMaxProcessors);
  uint64_t total_ = 0;
  uint64_t changes_ = 0;
};

struct EngineRigOptions {
  std::string machine = "k8-x2-laptop";
  std::string load = "idle";
  management::ManagementSettings management;
  SamplerSettings sampling;
};

// Profiles 1 and 2 hold the slowest and the fastest table row, 3 is on demand over every
// row; when the processors modulate their clock, custom profile 4 is on demand over the
// rows and the throttle levels 4 and 8 together.
class EngineRig {
 public:
  explicit EngineRig(const EngineRigOptions& options);
  ~EngineRig();

  // Starts the monitoring threads and the manager on the given profile.
  void Start(int32_t profile, int32_t acLineStatus = 1);
  // Stops the manager, then the sampler, as the orderly exit does.
  void Stop();

  management::PerformanceManager& Manager() { return *manager_; }
  Sampler& Monitor() { return *sampler_; }
  ProfileStore& Store() { return store_; }
  sim::SimulatedPc& Pc() { return machine_.Pc(); }
  unsigned Count() const { return static_cast<unsigned>(machine_.Records().size()); }
  const CpuInfo& Record(unsigned k) const { return machine_.Records()[k]; }
  const PState& Row(int32_t row) const { return *store_.Table().Row(row); }
  int32_t LastRow() const { return store_.Table().lastIndex; }
  bool Throttles() const { return throttles_; }

  // One refresh as the refresh timer makes it, a refresh interval after the last.
  bool Refresh(RefreshFlags flags = {});
  // Whether processor k runs `row`'s FID and VID with nothing pending, at full clock.
  bool RunsSettledAt(unsigned k, const PState& row);
  // What the program did that the hardware would have refused, one line each.
  std::string Violations();

  PeriodSignal periods;
  CountingPriorities priorities;
  CountingViews views;
  StopSignal stop;

 private:
  IdentifiedMachine machine_;
  ProfileStore store_;
  management::ManagementSettings settings_;
  bool throttles_ = false;
  uint32_t tick_ = 100000;
  int32_t refreshMs_;
  std::unique_ptr<Sampler> sampler_;
  std::unique_ptr<management::SamplerLoadSource> loads_;
  std::unique_ptr<management::PerformanceManager> manager_;  // last: stopped first
};

}  // namespace pacetta::testing
