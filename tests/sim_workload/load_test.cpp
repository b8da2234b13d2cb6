#include <gtest/gtest.h>

#include <map>

#include "platform/sim/workload/host_load.h"
#include "platform/sim/workload/scripted_load.h"
#include "workload_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint64_t kMs = 1'000'000;

TEST(LoadOptions, ReadTheScriptForms) {
  const WorkloadOptions options =
      Options("script:idle@2s,full:kernel=10@500ms;busy=30;duty=25/100ms@1.5s", "ambient=45,tau=3");
  ASSERT_EQ(options.scripts.size(), 3u);
  ASSERT_EQ(options.scripts[0].phases.size(), 2u);
  EXPECT_EQ(options.scripts[0].phases[0].lengthNs, 2 * kSecond);
  EXPECT_EQ(options.scripts[0].phases[1].busy, 1.0);
  EXPECT_DOUBLE_EQ(options.scripts[0].phases[1].kernelShare, 0.1);
  EXPECT_EQ(options.scripts[0].phases[1].lengthNs, 500 * kMs);
  EXPECT_DOUBLE_EQ(options.scripts[1].phases[0].busy, 0.3);
  EXPECT_FALSE(options.scripts[1].phases[0].lengthNs);
  EXPECT_EQ(options.scripts[2].phases[0].periodNs, 100 * kMs);
  EXPECT_EQ(options.scripts[2].phases[0].lengthNs, 1500 * kMs);
  EXPECT_EQ(options.ambientC, 45.0);
  EXPECT_EQ(options.timeConstantS, 3.0);
  EXPECT_FALSE(options.riseC);
  EXPECT_TRUE(Options("host").hostLoad);

  std::string error;
  for (const char* bad : {"busy", "script:busy=120", "script:full@3", "script:duty=50/0ms",
                          "script:full:user=3", "script:", "sometimes"}) {
    EXPECT_FALSE(ParseWorkloadOptions(bad, "", error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  for (const char* bad : {"tau=0", "ambient=hot", "rise=-1", "wind=3", "ambient"}) {
    EXPECT_FALSE(ParseWorkloadOptions("", bad, error)) << bad;
  }
}

TEST(ScriptedLoad, StepsThroughPhasesAndStartsOverWhenEveryPhaseEnds) {
  const uint64_t origin = 5 * kSecond;
  ScriptedLoad load(Options("script:idle@1s,busy=40@2s;full").scripts, origin);
  EXPECT_EQ(load.At(0, origin).busy, 0.0);
  EXPECT_EQ(load.At(0, origin).untilNs, origin + kSecond);
  EXPECT_DOUBLE_EQ(load.At(0, origin + kSecond).busy, 0.4);
  EXPECT_EQ(load.At(0, origin + 2 * kSecond).untilNs, origin + 3 * kSecond);
  EXPECT_EQ(load.At(0, origin + 3 * kSecond).busy, 0.0);  // the second pass
  EXPECT_DOUBLE_EQ(load.At(0, origin + 4 * kSecond + 1).busy, 0.4);
  // Processors past the last script take the last one, which never ends.
  EXPECT_EQ(load.At(1, origin + 100 * kSecond).busy, 1.0);
  EXPECT_EQ(load.At(7, origin).untilNs, LoadSlice{}.untilNs);
}

TEST(ScriptedLoad, ADutyCycleIsBusyForItsShareOfEachPeriod) {
  ScriptedLoad load(Options("script:duty=25/100ms@1s,idle").scripts, 0);
  EXPECT_EQ(load.At(0, 0).busy, 1.0);
  EXPECT_EQ(load.At(0, 0).untilNs, 25 * kMs);
  EXPECT_EQ(load.At(0, 25 * kMs).busy, 0.0);
  EXPECT_EQ(load.At(0, 25 * kMs).untilNs, 100 * kMs);
  EXPECT_EQ(load.At(0, 930 * kMs).busy, 0.0);
  EXPECT_EQ(load.At(0, 930 * kMs).untilNs, kSecond);
  EXPECT_EQ(load.At(0, kSecond).busy, 0.0);
  EXPECT_EQ(load.At(0, kSecond).untilNs, LoadSlice{}.untilNs);
}

// Host processor times as a test sets them.
class FakeHostTimes final : public platform::OsEntryPoints {
 public:
  std::map<size_t, platform::ProcessorTimes> times;
  bool fail = false;
  bool HasProcessorTimes() override { return true; }
  int32_t QueryProcessorTimes(std::span<platform::ProcessorTimes> out) override {
    if (fail) return -1;
    for (auto& t : out) t = {};
    for (const auto& [k, t] : times)
      if (k < out.size()) out[k] = t;
    return 0;
  }
  bool HasPerformanceCounter() override { return false; }
  int32_t QueryPerformanceCounter(int64_t&, int64_t&) override { return -1; }
  bool HasMessageFilter() override { return false; }
  bool ChangeMessageFilter(const std::string&, uint32_t) override { return false; }
};

TEST(HostLoad, MirrorsEachHostProcessorsLoadOverTheLastInterval) {
  FakeHostTimes host;
  host.times = {{0, {1000, 1000, 0}}, {1, {1000, 1000, 0}}};
  HostLoad load(host, 100);
  EXPECT_EQ(load.At(0, 0).busy, 0.0);
  // Processor 0: 600 of 1000 units busy, 150 of them in kernel mode; processor 1 idle.
  host.times = {{0, {1400, 1550, 450}}, {1, {2000, 2000, 0}}};
  EXPECT_EQ(load.At(0, 50).busy, 0.0);  // not yet time to read again
  EXPECT_DOUBLE_EQ(load.At(0, 100).busy, 0.6);
  EXPECT_DOUBLE_EQ(load.At(0, 100).kernelShare, 0.25);
  EXPECT_EQ(load.At(1, 100).busy, 0.0);
  // A machine with more processors than the host repeats the host's.
  EXPECT_DOUBLE_EQ(load.At(2, 100).busy, 0.6);
  // A failed read keeps the last load.
  host.fail = true;
  EXPECT_DOUBLE_EQ(load.At(0, 300).busy, 0.6);
}

TEST(OsTimes, AgreeWithTheLoadAndTheBusyCounter) {
  WorkloadRig rig(DualCore(AthlonVenice()), Options("script:busy=30:kernel=10;full"));
  ASSERT_TRUE(rig.Write(0xC0010000, 0x004B0076));
  const uint64_t busyBefore = rig.Read(0xC0010004);
  rig.Advance(10 * kSecond);
  platform::ProcessorTimes times[3];
  rig.Load().ProcessorTimes(times);
  // 10 s in 100-ns units: 7 s idle, 3 s busy of which 0.3 s in kernel mode; kernel time
  // includes idle time.
  EXPECT_NEAR(times[0].idle, 70'000'000, 1);
  EXPECT_NEAR(times[0].kernel, 73'000'000, 1);
  EXPECT_NEAR(times[0].user, 27'000'000, 1);
  EXPECT_EQ(times[1].idle, 0);
  EXPECT_NEAR(times[1].user, 100'000'000, 1);
  EXPECT_EQ(times[2].kernel + times[2].user, 0);  // no such processor
  // The operating system's load formula and the counter see the same 30 %.
  const double osLoad =
      1.0 - static_cast<double>(times[0].idle) / (times[0].kernel + times[0].user);
  const double counted = static_cast<double>(rig.Read(0xC0010004) - busyBefore) / (10 * 2000e6);
  EXPECT_NEAR(osLoad, 0.3, 1e-6);
  EXPECT_NEAR(counted, 0.3, 1e-6);
  EXPECT_DOUBLE_EQ(rig.Truth(0).busy, 0.3);
}

}  // namespace
}  // namespace pacetta::sim::testing
