// How soon "Performance on demand" answers a load step: on the simulated two-processor K8
// laptop at the default intervals, processor 0's scripted load steps from idle to full
// once a cycle, and each time the time from the step to the end of the first control
// period that made a transition on it is taken. The control periods drift against the
// cycle, so the steps fall at every point of a period. Usage: bench_reaction [--trials=N]
// (default 200, about 1.4 s each).
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "bench/engine_bench_rig.h"
#include "engine/management/decision.h"

namespace pacetta::bench {
namespace {

using namespace std::chrono_literals;

constexpr uint64_t kMs = 1'000'000;
// Processor 0 idles long enough to fall back to the slowest state and stay there, then
// works long enough for the slowest reaction; processor 1 idles.
constexpr uint64_t kIdleNs = 1000 * kMs;
constexpr uint64_t kFullNs = 400 * kMs;
constexpr const char* kLoad = "script:idle@1000ms,full@400ms;idle";

// The ends of processor 0's control periods, and the first one with a transition after
// the benchmark armed it.
class Watch {
 public:
  void Ended(bool changed, uint64_t simNs) {
    {
      std::lock_guard lock(mutex_);
      ++periods_;
      if (armed_ && changedAt_ == 0) {
        ends_.push_back(simNs);
        if (changed) changedAt_ = simNs;
      }
    }
    cv_.notify_all();
  }
  void Arm() {
    std::lock_guard lock(mutex_);
    armed_ = true;
    changedAt_ = 0;
    ends_.clear();
  }
  // The simulated time of the first transition since Arm; 0 when none within `bound`.
  // `ends` receives the ends of the periods since Arm, up to that one.
  uint64_t WaitForChange(std::chrono::milliseconds bound, std::vector<uint64_t>& ends) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, bound, [this] { return changedAt_ != 0; });
    armed_ = false;
    ends = ends_;
    return changedAt_;
  }
  // Waits until `periods` more periods have ended (at most `bound`).
  bool WaitPeriods(uint64_t periods, std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    const uint64_t until = periods_ + periods;
    return cv_.wait_for(lock, bound, [&] { return periods_ >= until; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  uint64_t periods_ = 0;
  bool armed_ = false;
  uint64_t changedAt_ = 0;
  std::vector<uint64_t> ends_;
};

int Trials(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--trials=", 0) == 0) return std::max(1, std::atoi(arg.c_str() + 9));
  }
  return 200;
}

// Waits until processor 0 runs the slowest row with nothing pending and two more periods
// have ended there, so that the decision's counters start from nothing.
bool SettleAtTheBottom(EngineBench& bench, Watch& watch) {
  for (int periods = 0; periods < 200; ++periods) {
    const auto state = bench.Pc().ProcessorState(0);
    if (state && !state->transitionPending && state->current.fid == bench.Row(0).fid) {
      return watch.WaitPeriods(2, 5s);
    }
    if (!watch.WaitPeriods(1, 5s)) return false;
  }
  return false;
}

struct Trial {
  double reactionMs = 0;
  int periods = 0;  // control periods that ended after the step, the transition's included
  // From the start of the first control period that lies wholly after the step: the load
  // is measured per period, so a step in mid-period counts only once a period is full.
  double fromFullPeriodMs = 0.0;
};

int Run(int trials) {
  Watch watch;
  HeldStartClock* clock = nullptr;  // set before the threads start
  EngineBenchOptions options;
  options.load = kLoad;
  options.hooks.periodEnded = [&](unsigned k, const management::PeriodReport& report) {
    if (k == 0) watch.Ended(report.changed, clock->NowNs());
  };
  EngineBench bench(options);
  clock = &bench.Clock();
  bench.Start(kOnDemandProfile);

  const int32_t controlMs = options.management.controlIntervalMs;
  const int32_t upLimit = management::IntervalLimit(kDefaultIntervalMs, controlMs);
  const double boundMs = (upLimit + 1) * controlMs + 5.0;
  const uint64_t cycle = kIdleNs + kFullNs;

  std::vector<Trial> done;
  int failures = 0;
  for (uint64_t n = 0; static_cast<int>(done.size()) < trials && failures < 20; ++n) {
    const uint64_t step = clock->Origin() + n * cycle + kIdleNs;
    // Armed in the idle phase, at the slowest state, with time to spare before the step.
    if (!SettleAtTheBottom(bench, watch) || clock->NowNs() + 100 * kMs > step) continue;
    watch.Arm();
    std::vector<uint64_t> ends;
    const uint64_t changedAt =
        watch.WaitForChange(std::chrono::milliseconds((step - clock->NowNs()) / kMs + 2000), ends);
    if (changedAt == 0 || changedAt < step) {
      ++failures;  // no reaction, or a transition before the step
      continue;
    }
    Trial trial;
    trial.reactionMs = static_cast<double>(changedAt - step) / kMs;
    uint64_t firstEnd = 0;
    for (uint64_t end : ends) {
      trial.periods += end > step ? 1 : 0;
      if (end > step && firstEnd == 0) firstEnd = end;
    }
    trial.fromFullPeriodMs = firstEnd != 0 && changedAt > firstEnd
                                 ? static_cast<double>(changedAt - firstEnd) / kMs
                                 : 0.0;
    done.push_back(trial);
  }
  bench.Stop();

  std::vector<double> reactions, fromFull;
  std::vector<int> byPeriods(8);
  for (const Trial& t : done) {
    reactions.push_back(t.reactionMs);
    fromFull.push_back(t.fromFullPeriodMs);
    ++byPeriods[static_cast<size_t>(std::min(t.periods, 7))];
  }
  const double p99 = Percentile(reactions, 99);
  std::printf("machine k8-x2-laptop, profile \"Performance on demand\" over %d rows\n",
              bench.LastRow() + 1);
  std::printf("ControlInterval %d ms, up interval %d ms (limit %d), load depth 1\n", controlMs,
              kDefaultIntervalMs, upLimit);
  std::printf("trials %zu (failed %d)\n", done.size(), failures);
  std::printf("reaction ms: min %.1f  p50 %.1f  p90 %.1f  p99 %.1f  max %.1f\n",
              Percentile(reactions, 0), Percentile(reactions, 50), Percentile(reactions, 90), p99,
              Percentile(reactions, 100));
  std::printf("periods from the step to the transition:");
  for (size_t n = 0; n < byPeriods.size(); ++n) {
    if (byPeriods[n] != 0) std::printf("  %zu: %d", n, byPeriods[n]);
  }
  std::printf("\n");
  const double p99Full = Percentile(fromFull, 99);
  std::printf("from the first whole period after the step: p50 %.1f  p99 %.1f  max %.1f ms\n",
              Percentile(fromFull, 50), p99Full, Percentile(fromFull, 100));
  std::printf(
      "bound (up limit + 1) x ControlInterval + 5 ms = %.1f ms: from the step p99 %s, "
      "from the first whole period p99 %s\n",
      boundMs, p99 <= boundMs ? "within" : "BEYOND", p99Full <= boundMs ? "within" : "BEYOND");
  return done.empty() ? 1 : 0;
}

}  // namespace
}  // namespace pacetta::bench

int main(int argc, char** argv) {
  return pacetta::bench::Run(pacetta::bench::Trials(argc, argv));
}
