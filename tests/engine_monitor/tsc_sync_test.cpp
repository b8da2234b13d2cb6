// The dual-core time-stamp-counter synchroniser on the simulated dual-core K8, whose
// second core's counter drifts behind the first's.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "engine/monitor/tsc_synchroniser.h"
#include "tests/engine_monitor/sampler_rig.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

// The exchange is one cache line from core to core and one driver request: a few
// microseconds on the hardware. The simulated PC charges neither any time, so a counter
// written is its source's to the cycle; the bound is what the hardware would allow.
constexpr double kTransferUs = 5.0;

uint64_t CounterOf(SamplerRig& rig, uint32_t k) {
  uint64_t value = 0;
  rig.OnProcessor(k, [&] { value = rig.machine.Sensors().cpu.ReadTimeStampCounter(); });
  return value;
}

// The writes of MSR 10h in the register trace, per processor.
std::array<int, 2> CounterWrites(const std::string& tracePath) {
  std::array<int, 2> writes{};
  std::ifstream trace(tracePath);
  for (std::string line; std::getline(trace, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string time, cpu, kind, index;
    std::getline(fields, time, '\t');
    std::getline(fields, cpu, '\t');
    std::getline(fields, kind, '\t');
    std::getline(fields, index, '\t');
    if (kind == "msr-write" && index == "0x00000010" && (cpu == "0" || cpu == "1")) {
      ++writes[std::stoul(cpu)];
    }
  }
  return writes;
}

RigOptions SyncOptions(int32_t sourceCore, const std::string& trace) {
  RigOptions options;
  options.machine = "k8-x2-laptop";
  options.trace = trace;
  options.settings.refreshMs = 500;
  options.settings.tscSyncEnable = 1;
  options.settings.tscSyncSource = sourceCore;
  options.settings.tscSyncIntervalMs = 10000;
  // Generous: a loaded test machine may hold either worker up for a while.
  options.settings.tscSyncWaitMs = 10000;
  return options;
}

// 41 refreshes of 500 ms with a 10 s interval: the counters are synchronised in the 1st,
// 21st and 41st pass. Right after one, they differ by no more than the transfer; in
// between they drift apart by the machine's drift over the time since, no more and no
// less. Only the receiving core's counter is ever written.
TEST(TscSync, DriftingCountersAreBroughtBackEveryPeriodFromEitherSourceCore) {
  for (const uint32_t source : {0u, 1u}) {
    SCOPED_TRACE("source core " + std::to_string(source));
    TempFolder folder;
    const std::string trace = folder.File("trace.tsv");
    SamplerRig rig(SyncOptions(static_cast<int32_t>(source), trace));
    const uint32_t receiver = 1 - source;
    ASSERT_EQ(CoreNumberOf(rig.records[source]), source);
    const auto& processors = rig.pc->Machine().processors;
    const double driftPpm = std::fabs(processors[1].tscDriftPpm - processors[0].tscDriftPpm);
    ASSERT_GT(driftPpm, 0.0) << "the catalogue's dual-core K8 drifts";
    // Processor 0's counter over a millisecond of the machine's time.
    const uint64_t before = CounterOf(rig, 0);
    rig.clock->Advance(kMs);
    const double cyclesPerUs = static_cast<double>(CounterOf(rig, 0) - before) / 1000.0;
    ASSERT_GT(cyclesPerUs, 100.0);
    const double transfer = kTransferUs * cyclesPerUs;
    const double driftPerUs = driftPpm * 1e-6 * cyclesPerUs;

    ASSERT_TRUE(rig.sampler->Start());
    uint64_t syncedAtNs = 0;
    for (int pass = 0; pass <= 40; ++pass) {
      ASSERT_TRUE(rig.TimedRefresh());
      const double apart = std::fabs(static_cast<double>(
          static_cast<int64_t>(CounterOf(rig, receiver) - CounterOf(rig, source))));
      if (pass % 20 == 0) {
        EXPECT_LE(apart, transfer) << "pass " << pass << " synchronises";
        syncedAtNs = rig.clock->NowNs();
      } else {
        // A pass lasts its refresh interval and the few milliseconds it measures.
        const double sinceUs = static_cast<double>(rig.clock->NowNs() - syncedAtNs) / 1e3;
        EXPECT_LE(apart, transfer + driftPerUs * sinceUs) << "pass " << pass;
        EXPECT_GE(apart, driftPerUs * sinceUs - transfer) << "pass " << pass << ": they drift";
      }
    }
    rig.sampler->Stop();
    const std::array<int, 2> writes = CounterWrites(trace);
    EXPECT_EQ(writes[receiver], 3);
    EXPECT_EQ(writes[source], 0);
    EXPECT_TRUE(rig.pc->Violations().empty());
  }
}

// The receiving core waits for its source no longer than the bound, and never takes a
// counter that came too late for its own round; a stop ends the wait at once.
TEST(TscSync, AReceiverWhoseSourceDoesNotAnswerWaitsItsBoundAndWritesNothing) {
  TempFolder folder;
  const std::string trace = folder.File("trace.tsv");
  SamplerRig rig(SyncOptions(0, trace));
  TscSynchroniser sync(rig.records, rig.machine.Sensors());
  TscSyncConfig config;
  config.enabled = true;
  config.sourceCore = 0;
  config.periodPasses = TscSyncPeriod(1000, 3000);  // every pass
  config.waitBound = std::chrono::milliseconds(20);
  sync.Restart(config);
  const auto pass = [&](uint32_t k, bool stopping = false) {
    TscSyncStep step = TscSyncStep::kNone;
    rig.OnProcessor(k, [&] { step = sync.Pass(k, [stopping] { return stopping; }); });
    return step;
  };

  EXPECT_EQ(pass(1), TscSyncStep::kTimedOut) << "the source's worker never came";
  EXPECT_EQ(pass(0), TscSyncStep::kSent) << "it comes late";
  EXPECT_EQ(pass(1), TscSyncStep::kTimedOut) << "a round later, its counter has aged";
  EXPECT_EQ(pass(0), TscSyncStep::kSent) << "late again";
  EXPECT_EQ(CounterWrites(trace)[1], 0);

  // Both come, the source first: the counter of this round is written.
  rig.clock->Advance(1000 * kMs);
  EXPECT_EQ(pass(0), TscSyncStep::kSent);
  EXPECT_EQ(pass(1), TscSyncStep::kWritten);
  EXPECT_EQ(CounterOf(rig, 1), CounterOf(rig, 0)) << "no simulated time passed in between";
  EXPECT_EQ(CounterWrites(trace)[1], 1);

  config.waitBound = std::chrono::milliseconds(60'000);
  sync.Restart(config);
  EXPECT_EQ(pass(1, true), TscSyncStep::kAbandoned) << "a stopping worker does not wait";
  EXPECT_EQ(CounterWrites(trace), (std::array<int, 2>{0, 1}));
}

TEST(TscSync, ThePeriodIsTheIntervalInRefreshesAndNeverBelowOne) {
  struct Case {
    int32_t intervalMs, refreshMs;
    uint32_t passes;
  };
  const Case cases[] = {{10000, 500, 20}, {10000, 1000, 10}, {1500, 1000, 2}, {60000, 200, 300},
                        {1000, 2500, 1},  {1000, 60000, 1},  {1000, 0, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(TscSyncPeriod(c.intervalMs, c.refreshMs), c.passes)
        << c.intervalMs << " ms every " << c.refreshMs << " ms";
  }
}

}  // namespace
}  // namespace pacetta::testing
