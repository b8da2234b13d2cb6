// The sampler on whole simulated PCs with its real monitoring threads: the samples agree
// with what the simulated hardware is really doing.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "cpu/pstate/clock_modulation.h"
#include "cpu/sensors/current_state.h"
#include "tests/engine_monitor/sampler_rig.h"

namespace pacetta::testing {
namespace {

RigOptions Options(const std::string& machine, const std::string& load) {
  RigOptions options;
  options.machine = machine;
  options.load = load;
  options.settings.temperatureDepth = 1;  // the reading of this refresh alone
  return options;
}

std::string Where(const std::string& machine, const std::string& load, uint32_t k) {
  return machine + " " + load + " cpu " + std::to_string(k);
}

struct LoadCase {
  std::string script;
  double busyShare[2];  // of processors 0 and 1
};

// One processor fully busy and the other idle, then both at 30 %: each thread must read
// its own processor.
TEST(SamplerEndToEnd, SamplesAgreeWithTheSimulatedTruth) {
  const LoadCase loads[] = {{"script:full;idle", {1.0, 0.0}}, {"script:busy=30", {0.3, 0.3}}};
  int temperatures = 0;
  for (const std::string machine : {"k8-x2-laptop", "core2-duo-laptop", "pentium4-ht", "via-c7"}) {
    for (const LoadCase& load : loads) {
      SamplerRig rig(Options(machine, load.script));
      ASSERT_TRUE(rig.sampler->Start()) << machine;
      ASSERT_TRUE(rig.TimedRefresh()) << machine;
      ASSERT_TRUE(rig.TimedRefresh()) << machine;
      for (uint32_t k = 0; k < rig.records.size(); ++k) {
        const CpuSample& sample = rig.sampler->Sample(k);
        const CpuInfo& cpu = rig.records[k];
        const auto truth = rig.pc->Activity(k);
        const auto state = rig.pc->ProcessorState(k);
        const std::string where = Where(machine, load.script, k);
        ASSERT_TRUE(truth && state) << where;
        ASSERT_LT(k, 2u) << where;
        const double busyShare = load.busyShare[k];

        EXPECT_NEAR(sample.clock, truth->coreMhz, truth->coreMhz * 0.002) << where;
        EXPECT_FLOAT_EQ(sample.multiplier, MultiplierOf(cpu, state->current.fid)) << where;
        EXPECT_FLOAT_EQ(sample.voltage, VoltageOf(cpu, state->current.vid)) << where;
        // Each refresh adds its own 5 ms measurement to the second between them.
        EXPECT_NEAR(sample.osLoad, 100.0 * busyShare, 2.0) << where;
        if (cpu.isAmdPowerNow || cpu.isIntelSupported) {
          EXPECT_NEAR(sample.throttle, truth->duty, 0.01) << where;
          EXPECT_NEAR(sample.cpuLoad, 100.0 * busyShare * truth->duty, 2.0) << where;
        } else {
          EXPECT_LT(sample.throttle, 0.0) << where << ": no busy counter";
        }
        if (sample.temperature >= 0.0f) {
          EXPECT_NEAR(sample.temperature, truth->celsius, 1.0) << where;
          ++temperatures;
        }
        EXPECT_EQ(sample.overheat, 0) << where;
      }
      EXPECT_TRUE(rig.pc->Violations().empty()) << machine;
    }
  }
  EXPECT_GE(temperatures, 8) << "the K8 and Core 2 machines read their sensors";
}

// Processors without family rules are read by their activity counters: the clock they
// really run at (boosted or lowered by the kernel's policy), their busy share and the
// kernel's temperatures, and nothing keeps them busy to measure: an idle processor
// stays idle.
TEST(SamplerEndToEnd, TodaysProcessorsAreMeasuredByTheirCountersWithoutABusyWait) {
  const LoadCase loads[] = {{"script:full;idle", {1.0, 0.0}}, {"script:busy=30", {0.3, 0.3}}};
  for (const std::string machine : {"zen-laptop", "hybrid-laptop"}) {
    for (const LoadCase& load : loads) {
      SamplerRig rig(Options(machine, load.script));
      ASSERT_TRUE(rig.sampler->Start()) << machine;
      ASSERT_TRUE(rig.TimedRefresh()) << machine;
      ASSERT_TRUE(rig.TimedRefresh()) << machine;
      for (uint32_t k = 0; k < 2; ++k) {
        const CpuSample& sample = rig.sampler->Sample(k);
        const auto truth = rig.pc->Activity(k);
        const std::string where = Where(machine, load.script, k);
        ASSERT_TRUE(truth) << where;
        EXPECT_NEAR(sample.clock, truth->coreMhz, truth->coreMhz * 0.01) << where;
        EXPECT_NEAR(sample.cpuLoad, 100.0 * load.busyShare[k], 1.0) << where;
        if (load.busyShare[k] == 0.0) {
          EXPECT_EQ(sample.osLoad, 0.0) << where << ": the sampler kept it busy";
        }
        EXPECT_GT(sample.multiplier, 0.0f) << where;
        // Processors 0 and 1 are the two threads of one core: the kernel reads the core
        // (or the package), which is as hot as its hotter thread.
        const double core = std::max(rig.pc->Activity(0)->celsius, rig.pc->Activity(1)->celsius);
        EXPECT_NEAR(sample.temperature, core, 1.0) << where;
      }
      EXPECT_TRUE(rig.pc->Violations().empty()) << machine;
    }
  }
}

TEST(SamplerEndToEnd, FamiliesWithoutCountersOrSensorsShowNA) {
  SamplerRig rig(Options("via-c7", "full"));
  ASSERT_TRUE(rig.sampler->Start());
  ASSERT_TRUE(rig.TimedRefresh());
  const CpuSample& sample = rig.sampler->Sample(0);
  EXPECT_EQ(sample.cpuLoad, -1.0);
  EXPECT_LT(sample.temperature, 0.0f);
  EXPECT_LT(rig.sampler->Means().cpuLoad, 0.0);
  EXPECT_EQ(rig.sampler->Texts().temperature, "N/A");
  // The clock is measured all the same, but without a throttle reading the clock the
  // core works at is not known.
  EXPECT_GT(sample.clock, 0.0);
  EXPECT_LT(sample.throttle, 0.0);
  EXPECT_EQ(rig.sampler->Texts().clock, "N/A");
}

TEST(SamplerEndToEnd, MeansTextsAndTheDisplayProcessorFollowEachRefresh) {
  RigOptions options = Options("k8-x2-laptop", "script:full;idle");
  options.settings.tempUnits = 1;
  SamplerRig rig(options);
  rig.sampler->SetPowerSource(PowerSource::kBattery);
  std::mutex mutex;
  std::vector<std::pair<uint32_t, unsigned>> tails;  // processor, where its tail ran
  rig.sampler->SetSampleTail([&](uint32_t k) {
    std::lock_guard lock(mutex);
    tails.emplace_back(k, rig.View().processors.CurrentProcessor());
  });
  ASSERT_TRUE(rig.sampler->Start());
  ASSERT_TRUE(rig.TimedRefresh());
  EXPECT_EQ(rig.sampler->DisplayProcessor(), 1u);
  ASSERT_TRUE(rig.TimedRefresh());
  EXPECT_EQ(rig.sampler->DisplayProcessor(), 0u) << "wraps after the last processor";

  // The second refresh showed processor 1.
  const CpuSample& shown = rig.sampler->Sample(1);
  const SampleMeans& means = rig.sampler->Means();
  EXPECT_NEAR(means.osLoad, 50.0, 2.0);
  EXPECT_NEAR(means.cpuLoad, 50.0, 2.0);
  const double meanC = (rig.sampler->Sample(0).temperature + shown.temperature) / 2.0;
  ASSERT_GT(meanC, 0.0);
  EXPECT_NEAR(means.temperature, meanC, 1e-3);
  const DisplayTexts& texts = rig.sampler->Texts();
  char expected[64];
  std::snprintf(expected, sizeof expected, "%.2lf MHz", shown.clock * shown.throttle);
  EXPECT_EQ(texts.clock, expected);
  std::snprintf(expected, sizeof expected, "%.1f\u00B0F", meanC * 1.8 + 32);
  EXPECT_EQ(texts.temperature, expected);
  EXPECT_EQ(texts.powerSource, "Battery");
  EXPECT_EQ(rig.observer.Steps(), (std::vector<std::string>{"log", "views", "log", "views"}));
  std::sort(tails.begin(), tails.end());
  const std::vector<std::pair<uint32_t, unsigned>> expectedTails = {{0, 0}, {0, 0}, {1, 1}, {1, 1}};
  EXPECT_EQ(tails, expectedTails) << "the tail ends every sample, on the sampled processor";
}

TEST(SamplerEndToEnd, ARefreshTooSoonDoesNothingAndSkipSamplingOnlyShows) {
  SamplerRig rig(Options("k8-x2-laptop", "full"));
  ASSERT_TRUE(rig.sampler->Start());
  ASSERT_TRUE(rig.TimedRefresh());
  const double clock = rig.sampler->Sample(0).clock;
  EXPECT_FALSE(rig.sampler->Refresh({}, rig.tick + 500)) << "half an interval later";
  EXPECT_EQ(rig.sampler->DisplayProcessor(), 1u) << "not advanced";

  rig.observer.Clear();
  RefreshFlags showOnly;
  showOnly.skipSampling = true;
  showOnly.redrawViews = true;
  ASSERT_TRUE(rig.TimedRefresh(showOnly));
  EXPECT_EQ(rig.observer.Steps(), std::vector<std::string>{"views+redraw"});
  EXPECT_EQ(rig.sampler->Sample(0).clock, clock) << "the samples keep their values";
  EXPECT_EQ(rig.sampler->DisplayProcessor(), 0u) << "advanced all the same";
}

TEST(SamplerEndToEnd, AnOverheatedProcessorRaisesTheAlertAtEveryRefresh) {
  // Hot air and a busy core: the part reaches its thermal limit and throttles.
  RigOptions options = Options("core2-duo-laptop", "full");
  options.thermal = "ambient=95,rise=30,tau=1";
  SamplerRig rig(options);
  ASSERT_TRUE(rig.sampler->Start());
  rig.clock->Advance(20'000 * kMs);
  ASSERT_TRUE(rig.TimedRefresh());
  ASSERT_TRUE(rig.pc->Activity(0)->throttled) << "the model throttles";
  EXPECT_NE(rig.sampler->Sample(0).overheat, 0);
  ASSERT_TRUE(rig.TimedRefresh());
  const std::vector<Balloon> balloons = rig.observer.Balloons();
  ASSERT_EQ(balloons.size(), 2u) << "one per refresh, whichever processor is shown";
  EXPECT_EQ(balloons[0].title, "CPU core overheat detected");
  EXPECT_EQ(balloons[0].text.rfind("Current CPU throttle level: ", 0), 0u) << balloons[0].text;
  EXPECT_NE(balloons[0].text.find('%'), std::string::npos) << balloons[0].text;

  // Off when either switch is off.
  for (int which = 0; which < 2; ++which) {
    SamplerSettings settings = options.settings;
    (which == 0 ? settings.overheatAlert : settings.showCriticalBalloons) = 0;
    rig.sampler->ApplySettings(settings);
    rig.observer.Clear();
    ASSERT_TRUE(rig.TimedRefresh());
    EXPECT_TRUE(rig.observer.Balloons().empty()) << which;
  }
}

}  // namespace
}  // namespace pacetta::testing
