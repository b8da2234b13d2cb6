// The management load as the management threads measure it, on simulated PCs, and the
// operating-system load with the idle helpers' time counted as idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "cpu/pstate/clock_modulation.h"
#include "hw/pinning.h"
#include "tests/engine_monitor/sampler_rig.h"

namespace pacetta::testing {
namespace {

constexpr uint64_t kControlMs = 100;

RigOptions ManagementOptions(const std::string& machine, const std::string& load) {
  RigOptions options;
  options.machine = machine;
  options.load = load;
  options.settings.loadDepth = 1;
  return options;
}

// One control period on every processor, in processor order, each on its own thread.
void ControlPeriod(SamplerRig& rig) {
  rig.clock->Advance(kControlMs * kMs);
  for (uint32_t k = 0; k < rig.records.size(); ++k) {
    rig.OnProcessor(k, [&] { rig.sampler->MeasureManagementLoad(k); });
  }
}

TEST(ManagementLoad, FollowsTheBusyShareByEitherSource) {
  for (int32_t osLoad : {0, 1}) {
    RigOptions options = ManagementOptions("k8-x2-laptop", "script:full;busy=30");
    options.settings.cpuOsLoadSelect = osLoad;
    SamplerRig rig(options);
    ControlPeriod(rig);
    ControlPeriod(rig);
    EXPECT_EQ(rig.sampler->ManagementLoad(0), 100) << osLoad;
    // 30 % busy plus the 100 µs busy-ratio check of each period.
    EXPECT_NEAR(rig.sampler->ManagementLoad(1), 30, 1) << osLoad;
  }
}

TEST(ManagementLoad, ClockModulationDoesNotReadAsIdleTime) {
  SamplerRig rig(ManagementOptions("core2-duo-laptop", "full"));
  rig.OnProcessor(0, [&] { ASSERT_TRUE(WriteThrottle(rig.records[0], *rig.driver, 3)); });
  ControlPeriod(rig);
  ControlPeriod(rig);
  ASSERT_DOUBLE_EQ(rig.pc->Activity(0)->duty, 3.0 / 8) << "the model modulates";
  EXPECT_EQ(rig.sampler->ManagementLoad(0), 100) << "busy the whole time the clock ran";
  EXPECT_EQ(rig.sampler->ManagementLoad(1), 100);
}

TEST(ManagementLoad, AveragesOverTheLoadDepth) {
  // Idle for the first half second, then fully busy.
  RigOptions options = ManagementOptions("k8-x2-laptop", "script:idle@500ms,full");
  options.settings.loadDepth = 10;
  SamplerRig rig(options);
  for (int period = 0; period < 10; ++period) ControlPeriod(rig);
  // The last ten periods: about five idle and five busy.
  EXPECT_NEAR(rig.sampler->ManagementLoad(0), 50, 5);
  for (int period = 0; period < 10; ++period) ControlPeriod(rig);
  EXPECT_EQ(rig.sampler->ManagementLoad(0), 100);
}

TEST(ManagementLoad, CombinesTheSiblingsLoadsByTheMethod) {
  SamplerRig rig(ManagementOptions("pentium4-ht", "script:full;idle"));
  ASSERT_EQ(rig.records.size(), 2u);
  ASSERT_EQ(rig.records[0].partnerIndex, 1) << "two logical processors of one core";
  ControlPeriod(rig);
  ControlPeriod(rig);
  ASSERT_EQ(rig.sampler->ManagementLoad(0), 100);
  ASSERT_LE(rig.sampler->ManagementLoad(1), 1);
  const int32_t idle = rig.sampler->ManagementLoad(1);
  const int32_t expected[] = {100, (100 + idle) / 2, 100, 100, (100 + idle + 1) / 2, 100};
  for (int32_t method = 0; method < 6; ++method) {
    SamplerSettings settings = ManagementOptions("", "").settings;
    settings.cpuLoadMethod = method;
    rig.sampler->ApplySettings(settings);
    EXPECT_EQ(rig.sampler->CombinedLoad(0), expected[method]) << method;
    EXPECT_EQ(rig.sampler->CombinedLoad(1), expected[method]) << method << " the sibling";
  }
}

// An idle helper that occupies its processor completely: everything the processor did
// besides idling was the helper.
class FullHelper final : public IdleHelperTimes {
 public:
  std::optional<int64_t> ConsumedTime(uint32_t processor) override {
    std::array<platform::ProcessorTimes, kMaxProcessors> times{};
    if (os == nullptr || os->QueryProcessorTimes(std::span(times).first(processor + 1)) != 0) {
      return std::nullopt;
    }
    const platform::ProcessorTimes& own = times[processor];
    return own.kernel - own.idle + own.user;
  }
  platform::OsEntryPoints* os = nullptr;  // the simulated machine's
};

TEST(OperatingSystemLoad, AProcessorOccupiedByTheIdleHelperIsIdle) {
  for (int32_t runHlt : {1, 0}) {
    FullHelper helper;
    RigOptions options;
    options.load = "full";
    options.idleHelper = &helper;
    options.settings.runHltOnIdle = runHlt;
    SamplerRig withHelper(options);
    helper.os = &withHelper.View().entryPoints;
    ASSERT_TRUE(withHelper.sampler->Start());
    ASSERT_TRUE(withHelper.TimedRefresh());
    ASSERT_TRUE(withHelper.TimedRefresh());
    for (uint32_t k = 0; k < withHelper.records.size(); ++k) {
      EXPECT_NEAR(withHelper.sampler->Sample(k).osLoad, runHlt ? 0.0 : 100.0, 1.0)
          << runHlt << " cpu " << k;
      EXPECT_NEAR(withHelper.sampler->Sample(k).cpuLoad, 100.0, 1.0)
          << "the busy cycles still count";
    }
    const std::vector<std::string> steps = withHelper.observer.Steps();
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "idle"), runHlt ? 2 : 0)
        << "the helpers are supervised at every refresh with sampling";
  }
}

// Management threads measure while the monitoring threads sample the same processors:
// each writes only its own history (run under the thread sanitizer in CI).
TEST(ManagementLoad, RunsBesideTheMonitoringThreads) {
  SamplerRig rig(ManagementOptions("core2-duo-laptop", "full"));
  ASSERT_TRUE(rig.sampler->Start());
  std::atomic<bool> done{false};
  std::vector<std::thread> management;
  for (uint32_t k = 0; k < rig.records.size(); ++k) {
    management.emplace_back([&rig, &done, k] {
      PinToProcessor(rig.View().processors, k);
      for (int period = 0; period < 200 && !done.load(); ++period) {
        rig.sampler->MeasureManagementLoad(k);
        const int32_t load = rig.sampler->CombinedLoad(k);
        EXPECT_TRUE(load >= 0 && load <= 100) << load;
      }
    });
  }
  for (int refresh = 0; refresh < 5; ++refresh) {
    rig.tick += 1000;
    rig.clock->Advance(1000 * kMs);
    ASSERT_TRUE(rig.sampler->Refresh({}, rig.tick));
  }
  done = true;
  for (std::thread& thread : management) thread.join();
  EXPECT_GT(rig.sampler->Sample(0).clock, 0.0);
}

}  // namespace
}  // namespace pacetta::testing
