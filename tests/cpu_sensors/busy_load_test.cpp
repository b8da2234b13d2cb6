#include "cpu/sensors/busy_load.h"

#include <gtest/gtest.h>

#include "cpu/sensors/cycle_counter.h"
#include "cpu/sensors/reading_fields.h"
#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

constexpr uint64_t kMs = 1'000'000;

struct LoadRig {
  explicit LoadRig(ProcessorLeaves leaves, bool system64 = true)
      : rig({Processor(leaves)}, system64) {
    rig.clock.processors[0] = {2000.0, 2000.0, 1.0};
    cpu = rig.Identify(0);
    if (!system64) EnableUserCounterReads(rig.sensors);
    SetupCycleCounter(cpu, rig.sensors);
  }
  // Processor 0 is busy for `share` of the next `ms` milliseconds.
  void Run(double share, uint64_t ms) {
    rig.clock.ChangeBusyShare(0, share);
    rig.clock.ns += ms * kMs;
  }
  SensorRig rig;
  CpuInfo cpu;
};

TEST(BusyLoad, ComparesWithTheSnapshotDepthPlacesBack) {
  LoadRig load(K8RevF());
  load.Run(0.2, 10);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 1), 20.0, 0.01);
  load.Run(0.6, 10);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 1), 60.0, 0.01);
  load.Run(1.0, 20);
  // Two places back spans 10 ms at 60 % and 20 ms at 100 %.
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 2), 86.67, 0.01);
  EXPECT_EQ(load.cpu.busyHistories[kMonitoringSlot].index, 3u);
}

TEST(BusyLoad, TheTwoSlotsKeepTheirOwnHistories) {
  LoadRig load(K8RevF());
  load.Run(0.5, 10);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kManagementSlot, 1), 50.0, 0.01);
  load.Run(0.1, 10);
  // The monitoring slot still compares with the set-up snapshot: 20 ms, 6 ms busy.
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 1), 30.0, 0.01);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kManagementSlot, 1), 10.0, 0.01);
  EXPECT_EQ(load.cpu.busyHistories[kManagementSlot].index, 2u);
  EXPECT_EQ(load.cpu.busyHistories[kMonitoringSlot].index, 1u);
}

TEST(BusyLoad, DepthsThatWouldCompareASnapshotWithItselfAreBounded) {
  LoadRig load(K8RevF());
  for (int i = 0; i < 70; ++i) {
    load.Run(i < 64 ? 0.5 : 1.0, 1);
    BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 1);
  }
  load.Run(1.0, 1);
  // 64 places back is the newest entry itself: taken as 63, and 0 as 1.
  const double whole = BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 64);
  EXPECT_NEAR(whole, 100.0 * (7 + 56 * 0.5) / 63, 0.01);
  load.Run(1.0, 1);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 0), 100.0, 0.01);
}

TEST(BusyLoad, CoreLoadIsMeasuredAtTheCoreClockNotTheCounterRate) {
  LoadRig load(CoreDuo());
  load.rig.clock.processors[0].coreMhz = 1000.0;  // FID 6 of 12 under a 2000 MHz counter
  load.cpu.currentFid = 6;
  load.cpu.maxFid = 12;
  SetupCycleCounter(load.cpu, load.rig.sensors);
  load.Run(0.4, 10);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kManagementSlot, 1), 40.0, 0.01);
}

TEST(BusyLoad, AWrappingCounterStillCountsForward) {
  LoadRig load(K8RevF());
  load.rig.clock.processors[0].busyStart = (uint64_t{1} << 48) - 1000;
  SetupCycleCounter(load.cpu, load.rig.sensors);
  load.Run(1.0, 1);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kManagementSlot, 1), 100.0, 0.01);
}

TEST(BusyLoad, NotAvailableWithoutAReadableCounterAndNothingIsStored) {
  for (const ProcessorLeaves& leaves : {ViaC7(), Transmeta()}) {
    LoadRig load(leaves);
    load.Run(1.0, 1);
    EXPECT_EQ(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 1), sensors::kNotAvailable);
  }
  // A 32-bit system whose user-mode reads were never enabled cannot read the counter.
  SensorRig rig({Processor(K8RevF())}, /*system64=*/false);
  CpuInfo cpu = rig.Identify(0);
  rig.clock.ns += kMs;
  EXPECT_EQ(BusyLoad(cpu, rig.sensors, kMonitoringSlot, 1), sensors::kNotAvailable);
  EXPECT_EQ(cpu.busyHistories[kMonitoringSlot].index, 0u);
  // Nor when no time passed between the snapshots.
  LoadRig still(K8RevF());
  EXPECT_EQ(BusyLoad(still.cpu, still.rig.sensors, kMonitoringSlot, 1), sensors::kNotAvailable);
}

TEST(BusyLoad, A32BitSystemReadsThroughUserMode) {
  LoadRig load(Core2(), /*system64=*/false);
  load.cpu.currentFid = 12;
  load.cpu.maxFid = 12;
  load.Run(0.7, 5);
  EXPECT_NEAR(BusyLoad(load.cpu, load.rig.sensors, kMonitoringSlot, 1), 70.0, 0.01);
  EXPECT_TRUE(load.rig.Violations().empty());
}

}  // namespace
}  // namespace pacetta::testing
