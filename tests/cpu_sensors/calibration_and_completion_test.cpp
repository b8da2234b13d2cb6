#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cpu/sensors/delay_calibration.h"
#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

TEST(CalibrateDelayLoop, CountsTimeStampCyclesPerPassOnProcessorZero) {
  SensorRig rig({Processor(K8RevF()), Processor(K8RevF())});
  rig.clock.processors[0].tscMhz = 2000.0;
  rig.clock.processors[1].tscMhz = 800.0;
  rig.Pin(1);
  double cycles = 0.0;
  ASSERT_TRUE(CalibrateDelayLoop(rig.processors, rig.cpu, cycles));
  EXPECT_DOUBLE_EQ(cycles, 80.0);  // 40 ns per pass at 2000 MHz
  EXPECT_EQ(rig.cpu.spunOn, std::vector<unsigned>{0});
  EXPECT_EQ(rig.processors.ThreadMask(), rig.processors.ProcessAffinityMask()) << "unpinned";
}

TEST(CalibrateDelayLoop, AStillCounterCalibratesNothing) {
  SensorRig rig({Processor(K8RevF())});
  rig.cpu.tscFrozen = true;
  double cycles = 1.0;
  EXPECT_FALSE(CalibrateDelayLoop(rig.processors, rig.cpu, cycles));
  EXPECT_EQ(cycles, 0.0);
}

TEST(DelayPasses, UnknownInputsWaitNothingAndNoneWaitsForever) {
  EXPECT_EQ(DelayPasses(2000.0, 5000.0, 80.0), 125000u);
  EXPECT_EQ(DelayPasses(2000.0, 0.0, 80.0), 0u);
  EXPECT_EQ(DelayPasses(0.0, 5000.0, 80.0), 0u);
  EXPECT_EQ(DelayPasses(2000.0, 5000.0, 0.0), 0u);
  EXPECT_EQ(DelayPasses(2000.0, 5000.0, -3.0), 0u);
  EXPECT_EQ(DelayPasses(std::nan(""), 5000.0, 80.0), 0u);
  EXPECT_EQ(DelayPasses(2000.0, 5000.0, std::numeric_limits<double>::denorm_min()),
            kMaxDelayPasses);
  EXPECT_EQ(DelayPasses(std::numeric_limits<double>::infinity(), 5.0, 80.0), kMaxDelayPasses);
}

TEST(BusClock, IsTheClockOverTheMultiplierOrUnknown) {
  EXPECT_DOUBLE_EQ(BusClockMhz(1800e6, 9.0), 200.0);
  EXPECT_EQ(BusClockMhz(1800e6, 0.0), 0.0);
  EXPECT_EQ(BusClockMhz(-1.0, 9.0), 0.0);
}

TEST(ReadingsCompletion, IdentificationLeavesTheRecordReadyToMeasure) {
  for (bool system64 : {true, false}) {
    std::vector<uint8_t> config(256, 0);
    config[0xE4 + 2] = 0x63;  // thermtrip temperature field 0x18C: 50 °C on revision F
    SensorRig rig({Processor(K8RevF(kAmdThermalSensor),
                             {{0xC0010041, 0}, {0xC0010042, 0x0000'0012'0010'0A0Aull}})},
                  system64, {{0, 0xC3, config}});
    rig.clock.ns = 1000;
    const CpuInfo cpu = rig.IdentifyWithReadings(0);
    EXPECT_EQ(cpu.currentFid, 10u);
    EXPECT_EQ(cpu.currentVid, 18u);
    EXPECT_EQ(cpu.requestedFid, 10u);
    EXPECT_EQ(cpu.requestedVid, 18u);
    EXPECT_EQ(cpu.maxFid, 16) << "the limits are read as before";
    EXPECT_EQ(rig.Register(0, 0xC0010000), 0x004B0076u) << system64;
    EXPECT_EQ(cpu.busyHistories[1].entries[63].tsc, 1000u) << system64;
    EXPECT_EQ(cpu.temperatures[17], 50.0f);
    EXPECT_EQ(rig.simDriver.Hardware().UserCountersEnabled(0), !system64);
    EXPECT_TRUE(rig.Violations().empty()) << system64;
  }
}

}  // namespace
}  // namespace pacetta::testing
