#pragma once
// A whole simulated PC with every processor identified as start-up does, the start-up
// calibration taken, and a sampler on it with its real monitoring threads.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/monitor/sampler.h"
#include "platform/sim/simulated_pc.h"
#include "testing/identified_machine.h"
#include "testing/stop_signal.h"

namespace pacetta::testing {

inline constexpr uint64_t kMs = 1'000'000;

// Time that moves only when the test moves it or simulated processors busy-wait. While a
// gang of N threads samples side by side, each busy wait waits for the other N - 1 and
// time then moves once, to the latest of their ends: the processors wait in parallel,
// and no thread sees time jump between two of its readings because another processor
// waited. A gang member that never arrives is given up after a generous bound.
class GangClock final : public sim::SimClock {
 public:
  uint64_t NowNs() override;
  void WaitUntil(uint64_t ns) override;
  void Advance(uint64_t ns);
  // Busy waits from now on come from `threads` threads at a time (1: each on its own).
  void SetGang(unsigned threads);

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  uint64_t now_ = 1'000'000'000;
  unsigned gang_ = 1;
  unsigned arrived_ = 0;
  uint64_t latestEnd_ = 0;
  uint64_t generation_ = 0;
};

using TestStopSignal = StopSignal;

// Records what a refresh handed on, in order.
class RecordingObserver final : public RefreshObserver {
 public:
  void ShowWarningBalloon(const Balloon& balloon) override;
  void WriteLogRecord() override { Note("log"); }
  void SuperviseIdleHelpers() override { Note("idle"); }
  void UpdateViews(bool redraw) override { Note(redraw ? "views+redraw" : "views"); }

  std::vector<std::string> Steps();
  std::vector<Balloon> Balloons();
  void Clear();

 private:
  void Note(const std::string& step);
  std::mutex mutex_;
  std::vector<std::string> steps_;
  std::vector<Balloon> balloons_;
};

// The English texts the sampler asks for.
std::string EnglishText(uint32_t id);

struct RigOptions {
  std::string machine = "k8-x2-laptop";
  std::string load = "idle";
  std::string thermal;
  std::string trace;  // the register trace's file; empty: none
  SamplerSettings settings;
  IdleHelperTimes* idleHelper = nullptr;
  MonitoringThreads::ThreadStarter threadStarter = MonitoringThreads::StartThread;
};

struct SamplerRig {
  explicit SamplerRig(const RigOptions& options);
  ~SamplerRig();

  // One refresh with sampling as the timer makes it, a full refresh interval after the
  // last one; the machine's time moves on by that interval first.
  bool TimedRefresh(RefreshFlags flags = {});
  // Runs `work` on a thread pinned to processor k (a management thread's place).
  void OnProcessor(uint32_t k, const std::function<void()>& work);
  platform::Platform& View() { return machine.View(); }

  std::shared_ptr<GangClock> clock = std::make_shared<GangClock>();
  IdentifiedMachine machine;
  // The machine's parts under the names the tests use.
  sim::SimulatedPc* const pc = &machine.Pc();
  CPortexDriver* const driver = &machine.Driver();
  std::vector<CpuInfo>& records = machine.Records();
  Calibration calibration;
  TestStopSignal stop;
  RecordingObserver observer;
  std::unique_ptr<Sampler> sampler;
  uint32_t tick = 100000;
  int32_t refreshMs = 1000;
};

}  // namespace pacetta::testing
