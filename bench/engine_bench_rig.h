#pragma once
// The engine as the program runs it, on a simulated PC: identification, the start-up
// calibration, the profile store, the sampler with its monitoring threads and the
// performance manager measuring through it. Shared by the end-to-end engine benchmarks.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/management/performance_manager.h"
#include "engine/management/sampler_load_source.h"
#include "engine/monitor/sampler.h"
#include "platform/sim/workload/sim_clock.h"
#include "testing/identified_machine.h"
#include "testing/stop_signal.h"

namespace pacetta::bench {

// The host's time, held still while the machine is built, so that the scripted load
// counts its phases from an instant the benchmark knows.
class HeldStartClock final : public sim::SimClock {
 public:
  HeldStartClock();
  uint64_t NowNs() override;
  void WaitUntil(uint64_t ns) override;
  // Time runs on from where it stood.
  void Release();
  // Where time stood while held: the start of the machine's scripted load.
  uint64_t Origin() const { return heldAt_; }

 private:
  sim::HostClock host_;
  std::atomic<uint64_t> offset_{0};
  std::atomic<bool> held_{true};
  uint64_t heldAt_;
};

struct EngineBenchOptions {
  std::string machine = "k8-x2-laptop";
  std::string load = "idle";
  management::ManagementSettings management;  // the defaults: ControlInterval 100 ms
  SamplerSettings sampling;                   // the defaults: RefreshInterval 1000 ms
  management::ManagementHooks hooks;
};

// "Performance on demand" runs over every table row with the default target and
// intervals; "Power saving" and "Maximal performance" hold the slowest and fastest row.
class EngineBench {
 public:
  explicit EngineBench(const EngineBenchOptions& options);
  ~EngineBench();

  void Start(int32_t profile);
  void Stop();
  // One refresh as the timer makes it, `refreshMs` after the last.
  bool Refresh();

  HeldStartClock& Clock() { return *clock_; }
  sim::SimulatedPc& Pc() { return machine_.Pc(); }
  management::PerformanceManager& Manager() { return *manager_; }
  const PState& Row(int32_t row) const { return *store_.Table().Row(row); }
  int32_t LastRow() const { return store_.Table().lastIndex; }
  unsigned Count() const { return static_cast<unsigned>(machine_.Records().size()); }
  // Time the simulated processors have spent busy since boot, in nanoseconds: with an
  // idle load, exactly the time the engine's threads spent in busy loops.
  uint64_t BusyNs();

 private:
  std::shared_ptr<HeldStartClock> clock_ = std::make_shared<HeldStartClock>();
  testing::IdentifiedMachine machine_;
  ProfileStore store_;
  management::ManagementSettings settings_;
  RefreshObserver views_;
  testing::StopSignal stop_;
  uint32_t tick_ = 100000;
  int32_t refreshMs_;
  std::unique_ptr<Sampler> sampler_;
  std::unique_ptr<management::SamplerLoadSource> loads_;
  std::unique_ptr<management::PerformanceManager> manager_;
};

// A percentile (0..100) of `values`, nearest rank.
double Percentile(std::vector<double> values, double percent);

}  // namespace pacetta::bench
