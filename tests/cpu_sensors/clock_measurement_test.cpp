#include "cpu/sensors/clock_measurement.h"

#include <gtest/gtest.h>

#include "cpu/sensors/cycle_counter.h"
#include "cpu/sensors/reading_fields.h"
#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

constexpr uint32_t k4ms = 100000;  // passes of 40 ns
// The measurement's 8254 rate is 2^33/3600 rather than twice 1 193 182 Hz: 0.011 % apart.
constexpr double kTimerTolerance = 0.0005;

struct Measured {
  bool ok = false;
  ClockReading reading;
};

Measured Measure(SensorRig& rig, const CpuInfo& cpu, uint32_t passes = k4ms) {
  Measured m;
  rig.Pin(cpu.index);
  m.ok = MeasureClock(cpu, rig.sensors, passes, m.reading);
  return m;
}

TEST(MeasureClock, PentiumMClockIsTheTimeStampRate) {
  for (bool use8254 : {false, true}) {
    SensorRig rig({Processor(PentiumM())});
    rig.clock.processors[0] = {1600.0, 1600.0, 1.0};
    CpuInfo cpu = rig.Identify(0);
    cpu.switches.use8254 = use8254;
    const Measured m = Measure(rig, cpu);
    ASSERT_TRUE(m.ok) << use8254;
    EXPECT_NEAR(m.reading.clockHz, 1600e6, 1600e6 * kTimerTolerance) << use8254;
    EXPECT_NEAR(m.reading.throttle, 1.0, 0.001) << use8254;
  }
}

TEST(MeasureClock, CoreScalesTheConstantTimeStampRateByTheRatio) {
  struct Case {
    const char* name;
    ProcessorLeaves leaves;
    uint32_t currentFid, maxFid, superLfm;
    double expectedMhz;
  };
  // The counter runs at the highest ratio: 12 × 166 MHz = 2000 MHz.
  const std::vector<Case> cases = {
      {"Core Duo at FID 6 of 12", CoreDuo(), 6, 12, 0, 1000.0},
      {"Core 2 at its top", Core2(), 12, 12, 0, 2000.0},
      {"Core 2 in Super LFM", Core2(), 6, 12, 1, 500.0},
  };
  for (const Case& c : cases) {
    SensorRig rig({Processor(c.leaves)});
    // Clock modulation lets the core run three quarters of the time.
    rig.clock.processors[0] = {2000.0, c.expectedMhz, 0.75};
    CpuInfo cpu = rig.Identify(0);
    cpu.currentFid = c.currentFid;
    cpu.maxFid = static_cast<int32_t>(c.maxFid);
    cpu.superLfmActive = c.superLfm;
    const Measured m = Measure(rig, cpu);
    ASSERT_TRUE(m.ok) << c.name;
    EXPECT_NEAR(m.reading.clockHz, c.expectedMhz * 1e6, 1e3) << c.name;
    EXPECT_NEAR(m.reading.throttle, 0.75, 0.001) << c.name;
  }
}

TEST(MeasureClock, PrescottComparesWithItsStartRatio) {
  SensorRig rig({Processor(Prescott())});
  rig.clock.processors[0] = {3000.0, 2800.0, 1.0};  // 15 × 200 counter, at 14 × 200
  CpuInfo cpu = rig.Identify(0);
  cpu.currentFid = 14;
  cpu.startFid = 15;
  const Measured m = Measure(rig, cpu);
  ASSERT_TRUE(m.ok);
  EXPECT_NEAR(m.reading.clockHz, 2800e6, 1e3);
  EXPECT_NEAR(m.reading.throttle, 1.0, 0.001);
}

TEST(MeasureClock, AmdThrottleIsTheBusyShareOnEitherSystem) {
  for (bool system64 : {true, false}) {
    for (bool use8254 : {false, true}) {
      SensorRig rig({Processor(K8RevF()), Processor(K8RevF())}, system64);
      rig.clock.processors[1] = {1800.0, 1800.0, 0.5};
      CpuInfo cpu = rig.Identify(1);
      cpu.switches.use8254 = use8254;
      EnableUserCounterReads(rig.sensors);  // as identification does on a 32-bit system
      const Measured m = Measure(rig, cpu);
      ASSERT_TRUE(m.ok) << system64 << use8254;
      EXPECT_NEAR(m.reading.clockHz, 1800e6, 1800e6 * kTimerTolerance) << system64 << use8254;
      EXPECT_NEAR(m.reading.throttle, 0.5, 0.001) << system64 << use8254;
      EXPECT_TRUE(rig.Violations().empty()) << "no kernel routine on 64-bit, no counter fault";
    }
  }
}

TEST(MeasureClock, AnEightTwoFiveFourCountThatWrapsStillGivesTheElapsedCount) {
  SensorRig rig({Processor(K8RevF())});
  rig.clock.processors[0] = {2000.0, 2000.0, 1.0};
  // Place the clock a few counts before channel 0 reloads (it counts down from 65536).
  rig.clock.ns = 27'459'000;
  const uint16_t before = rig.simDriver.Hardware().Timer().Count();
  ASSERT_LT(before, 2000) << "the measurement must start just before the reload";
  CpuInfo cpu = rig.Identify(0);
  cpu.switches.use8254 = 1;
  const Measured m = Measure(rig, cpu);
  EXPECT_GT(rig.simDriver.Hardware().Timer().Count(), before) << "the count wrapped";
  ASSERT_TRUE(m.ok);
  EXPECT_NEAR(m.reading.clockHz, 2000e6, 2000e6 * kTimerTolerance);
}

TEST(MeasureClock, FamiliesWithoutABusyCounterGiveNoThrottle) {
  sim::ProcessorSpec transmeta = Processor(Transmeta());
  SensorRig rig({Processor(ViaC7()), transmeta});
  rig.clock.processors[0] = {1500.0, 1500.0, 1.0};
  rig.clock.processors[1] = {1000.0, 600.0, 1.0};
  CpuInfo via = rig.Identify(0);
  Measured m = Measure(rig, via);
  ASSERT_TRUE(m.ok);
  EXPECT_NEAR(m.reading.clockHz, 1500e6, 1e3);
  EXPECT_EQ(m.reading.throttle, sensors::kNotAvailable);

  // LongRun: 600 MHz now of 1000 MHz at the top, against a counter at the top rate.
  CpuInfo crusoe = rig.Identify(1);
  crusoe.currentFid = 600;
  crusoe.maxFid = 1000;
  m = Measure(rig, crusoe);
  ASSERT_TRUE(m.ok);
  EXPECT_NEAR(m.reading.clockHz, 600e6, 1e3);
  EXPECT_EQ(m.reading.throttle, sensors::kNotAvailable);
}

// None of these may divide by zero: each gives "not available" for both values.
TEST(MeasureClock, NoReferenceOrNoMultiplierIsNotAvailable) {
  struct Case {
    const char* name;
    std::function<void(SensorRig&, CpuInfo&)> arrange;
    uint32_t passes = k4ms;
  };
  const std::vector<Case> cases = {
      {"no time passes (system counter)", [](SensorRig&, CpuInfo&) {}, 0},
      {"no time passes (8254)", [](SensorRig&, CpuInfo& cpu) { cpu.switches.use8254 = 1; }, 0},
      {"highest multiplier unknown", [](SensorRig&, CpuInfo& cpu) { cpu.maxFid = 0; }},
      {"current multiplier unknown", [](SensorRig&, CpuInfo& cpu) { cpu.currentFid = 0; }},
      {"no system counter",
       [](SensorRig& rig, CpuInfo&) {
         rig.entryPoints.present = false;
         rig.optionalEntryPoints.Resolve(rig.entryPoints, rig.system);
       }},
      {"time-stamp counter stands still",
       [](SensorRig& rig, CpuInfo&) { rig.cpu.tscFrozen = true; }},
  };
  for (const Case& c : cases) {
    SensorRig rig({Processor(CoreDuo())});
    CpuInfo cpu = rig.Identify(0);
    cpu.currentFid = 6;
    cpu.maxFid = 12;
    c.arrange(rig, cpu);
    const Measured m = Measure(rig, cpu, c.passes);
    EXPECT_FALSE(m.ok) << c.name;
    EXPECT_EQ(m.reading.clockHz, sensors::kNotAvailable) << c.name;
    EXPECT_EQ(m.reading.throttle, sensors::kNotAvailable) << c.name;
  }
}

TEST(MeasureBusyRatio, CountsTheUserModeLoopOnThePinnedProcessor) {
  SensorRig rig({Processor(K8RevF()), Processor(K8RevF())});
  rig.clock.processors[1] = {2000.0, 2000.0, 0.25};
  CpuInfo cpu = rig.Identify(1);
  rig.Pin(1);
  double ratio = 0.0;
  ASSERT_TRUE(MeasureBusyRatio(cpu, rig.sensors, 2500, ratio));
  EXPECT_NEAR(ratio, 0.25, 0.001);
  EXPECT_EQ(rig.cpu.spunOn, std::vector<unsigned>{1});
}

TEST(MeasureBusyRatio, IsRefusedWithoutACounter) {
  SensorRig rig({Processor(ViaC7())});
  CpuInfo via = rig.Identify(0);
  double ratio = 0.0;
  EXPECT_FALSE(MeasureBusyRatio(via, rig.sensors, 2500, ratio));
  EXPECT_EQ(ratio, sensors::kNotAvailable);

  // A counter that cannot be read counts as none: here user-mode reads were never enabled.
  SensorRig system32({Processor(K8RevF())}, /*system64=*/false);
  CpuInfo unprepared = system32.Identify(0);
  EXPECT_FALSE(MeasureBusyRatio(unprepared, system32.sensors, 2500, ratio));
  EXPECT_EQ(ratio, sensors::kNotAvailable);
}

}  // namespace
}  // namespace pacetta::testing
