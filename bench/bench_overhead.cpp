// What the engine costs while it runs: the sampler refreshing every RefreshInterval and
// the performance manager at its ControlInterval ("Performance on demand"), on the
// simulated two-processor K8 laptop at the default intervals, for N seconds
// (bench_overhead [--seconds=N] [--load=SCRIPT] [--machine=NAME], default 20 s, idle).
// A current machine (zen-laptop, hybrid-laptop) is sampled by its activity counters and
// has no busy loops at all.
//
// Method. The designed busy loops (the 5 ms clock measurement of every monitoring
// sample, the 100 µs busy-ratio wait of every management load, the transitions' delays)
// keep a real processor busy for their whole length. The simulated PC counts them as
// busy time of the processor that runs them and waits them out without using the host's
// processor. So with an idle load the simulated processors' busy time is exactly the time
// spent in busy loops (what real hardware would spend in them), and the process's own
// processor time (getrusage) is everything else: the engine beyond its busy loops, plus
// the simulation of the hardware itself, which makes it an upper bound.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "bench/engine_bench_rig.h"

namespace pacetta::bench {
namespace {

struct Options {
  int seconds = 20;
  std::string load = "idle";
  std::string machine = "k8-x2-laptop";
};

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--seconds=", 0) == 0) options.seconds = std::max(1, std::atoi(arg.c_str() + 10));
    if (arg.rfind("--load=", 0) == 0) options.load = arg.substr(7);
    if (arg.rfind("--machine=", 0) == 0) options.machine = arg.substr(10);
  }
  return options;
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, as written there.
std::string StatusLine(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key, 0) == 0) return line;
  }
  return key + " unknown";
}

int Run(const Options& options) {
  std::atomic<uint64_t> periods{0};
  EngineBenchOptions engine;
  engine.load = options.load;
  engine.machine = options.machine;
  engine.hooks.periodEnded = [&periods](unsigned, const management::PeriodReport&) { ++periods; };
  EngineBench bench(engine);
  bench.Start(kOnDemandProfile);
  const auto refresh = std::chrono::milliseconds(engine.sampling.refreshMs);

  // One refresh first: the threads start and the histories fill before the measurement.
  auto next = std::chrono::steady_clock::now();
  bench.Refresh();
  next += refresh;
  std::this_thread::sleep_until(next);

  const double cpuStart = ProcessCpuSeconds();
  const uint64_t busyStart = bench.BusyNs();
  const uint64_t periodsStart = periods.load();
  const auto wallStart = std::chrono::steady_clock::now();
  const int refreshes = options.seconds * 1000 / std::max(engine.sampling.refreshMs, 1);
  for (int i = 0; i < refreshes; ++i) {
    bench.Refresh();
    next += refresh;
    std::this_thread::sleep_until(next);
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = ProcessCpuSeconds() - cpuStart;
  const double busy = static_cast<double>(bench.BusyNs() - busyStart) * 1e-9;
  const uint64_t managed = periods.load() - periodsStart;
  const std::string rss = StatusLine("VmRSS:");
  const std::string hwm = StatusLine("VmHWM:");
  bench.Stop();

  const auto share = [wall](double seconds) { return seconds / wall * 100.0; };
  std::printf("machine %s (%u processors), load \"%s\", %.1f s\n", options.machine.c_str(),
              bench.Count(), options.load.c_str(), wall);
  std::printf("RefreshInterval %d ms: %d refreshes; ControlInterval %d ms: %llu periods\n",
              engine.sampling.refreshMs, refreshes, engine.management.controlIntervalMs,
              static_cast<unsigned long long>(managed));
  std::printf("process CPU time              %.4f s  = %.3f %% of one core\n", cpu, share(cpu));
  std::printf(
      "%s %.4f s  = %.3f %% of one core\n",
      options.load == "idle" ? "in busy loops (simulated)    " : "simulated busy time, load too",
      busy, share(busy));
  std::printf("beyond the busy loops         %.4f s  = %.3f %% of one core (target 0.2 %%)\n", cpu,
              share(cpu));
  std::printf("per processor                 %.3f %% of one core in all, %.3f %% in busy loops\n",
              share(cpu) / bench.Count(), share(busy) / bench.Count());
  std::printf(
      "  (the simulated busy loops wait without the host's processor, so all of the\n"
      "   process's time is beyond them, the hardware simulation included)\n");
  std::printf("%s\n%s\n", rss.c_str(), hwm.c_str());
  return 0;
}

}  // namespace
}  // namespace pacetta::bench

int main(int argc, char** argv) {
  return pacetta::bench::Run(pacetta::bench::Parse(argc, argv));
}
