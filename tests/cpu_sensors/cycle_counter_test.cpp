#include "cpu/sensors/cycle_counter.h"

#include <gtest/gtest.h>

#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

using Writes = std::vector<std::pair<uint32_t, uint32_t>>;

TEST(SetupCycleCounter, ProgramsEachFamilysUnhaltedCycleEvent) {
  struct Case {
    const char* name;
    ProcessorLeaves leaves;
    bool discard;
    Writes writes;
  };
  const std::vector<Case> cases = {
      {"K8, kernel time counted", K8RevF(), false, {{0xC0010000, 0x004B0076}}},
      {"K7, kernel time discarded", K7(), true, {{0xC0010000, 0x00490076}}},
      {"Pentium M", PentiumM(), false, {{0x187, 0}, {0x186, 0x00430079}}},
      {"Core 2, discarding", Core2(), true, {{0x187, 0}, {0x186, 0x0041003C}}},
      {"Pentium 4", Prescott(), false, {{0x3A2, 0x2600020F}, {0x360, 0x0003D000}}},
      {"Pentium 4, discarding", Prescott(), true, {{0x3A2, 0x26000205}, {0x360, 0x0003D000}}},
  };
  for (const Case& c : cases) {
    SensorRig rig({Processor(c.leaves)});
    CpuInfo cpu = rig.Identify(0);
    cpu.switches.discardKernelCpuUsage = c.discard ? 1 : 0;
    EXPECT_TRUE(SetupCycleCounter(cpu, rig.sensors)) << c.name;
    EXPECT_EQ(rig.MsrWrites(), c.writes) << c.name;
  }
}

TEST(SetupCycleCounter, SetsPerformanceMonitoringOnlyWhenClearAndReadable) {
  // Bit 7 clear: it is set, keeping the other bits.
  SensorRig clear({Processor(CoreDuo(), {{0x1A0, 0x00010008}})});
  CpuInfo cpu = clear.Identify(0);
  SetupCycleCounter(cpu, clear.sensors);
  EXPECT_EQ(clear.MsrWrites().front(), std::make_pair(0x1A0u, 0x00010088u));

  // A failed read must not write all ones back into IA32_MISC_ENABLE.
  sim::ProcessorSpec missing = Processor(CoreDuo());
  missing.msrStart.erase(0x1A0);
  SensorRig unreadable({missing});
  cpu = unreadable.Identify(0);
  SetupCycleCounter(cpu, unreadable.sensors);
  for (const auto& [index, low] : unreadable.MsrWrites()) EXPECT_NE(index, 0x1A0u);
}

TEST(SetupCycleCounter, FillsBothHistoriesWithOneSnapshot) {
  SensorRig rig({Processor(K8RevF())});
  rig.clock.ns = 5000;
  rig.clock.processors[0].busyStart = 777;
  CpuInfo cpu = rig.Identify(0);
  cpu.busyHistories[0].index = 17;
  cpu.busyHistories[1].entries[40] = {1, 2};
  ASSERT_TRUE(SetupCycleCounter(cpu, rig.sensors));
  const CounterSnapshot expected{777 + 5000, 5000};
  for (const BusyHistory& history : cpu.busyHistories) {
    EXPECT_EQ(history.index, 0u);
    for (const CounterSnapshot& entry : history.entries) {
      EXPECT_EQ(entry.busy, expected.busy);
      EXPECT_EQ(entry.tsc, expected.tsc);
    }
  }
}

TEST(SetupCycleCounter, FamiliesWithoutACounterAreRefusedUntouched) {
  for (const ProcessorLeaves& leaves : {ViaC7(), Transmeta()}) {
    SensorRig rig({Processor(leaves)});
    CpuInfo cpu = rig.Identify(0);
    EXPECT_FALSE(SetupCycleCounter(cpu, rig.sensors));
    EXPECT_TRUE(rig.MsrWrites().empty());
    CounterSnapshot snapshot;
    EXPECT_FALSE(ReadCounters(cpu, rig.sensors, snapshot));
  }
}

TEST(ReadCounters, A64BitSystemReadsTheFamilysCounterRegisterThroughTheDriver) {
  const std::vector<std::pair<ProcessorLeaves, uint32_t>> families = {
      {K8RevF(), 0xC0010004}, {Prescott(), 0x300}, {Core2(), 0xC1}, {K7(), 0xC0010004}};
  for (const auto& [leaves, index] : families) {
    SensorRig rig({Processor(leaves)});
    rig.clock.ns = 1000;
    rig.clock.processors[0].busyShare = 0.5;
    CpuInfo cpu = rig.Identify(0);
    CounterSnapshot snapshot;
    ASSERT_TRUE(ReadCounters(cpu, rig.sensors, snapshot)) << index;
    EXPECT_EQ(snapshot.busy, 500u);
    EXPECT_EQ(snapshot.tsc, 1000u);
    const auto requests = rig.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, driver::kReadMsr);
    EXPECT_EQ(requests[0].words[0], index);
  }
}

TEST(ReadCounters, A32BitSystemReadsInUserModeOnceEnabled) {
  SensorRig rig({Processor(K8RevF())}, /*system64=*/false);
  rig.clock.ns = 2000;
  CpuInfo cpu = rig.Identify(0);
  CounterSnapshot snapshot;
  // Before the driver sets CR4.PCE the read instruction faults.
  EXPECT_FALSE(ReadCounters(cpu, rig.sensors, snapshot));
  ASSERT_EQ(rig.Violations().size(), 1u);

  ASSERT_TRUE(EnableUserCounterReads(rig.sensors));
  rig.Requests();
  ASSERT_TRUE(ReadCounters(cpu, rig.sensors, snapshot));
  EXPECT_EQ(snapshot.busy, 2000u);
  EXPECT_TRUE(rig.Requests().empty()) << "no driver request for a user-mode read";
  EXPECT_EQ(rig.Violations().size(), 1u);

  ASSERT_TRUE(DisableUserCounterReads(rig.sensors));
  EXPECT_FALSE(rig.simDriver.Hardware().UserCountersEnabled(0));
}

TEST(ReadCounters, EnablingUserReadsIsNeverAskedOfA64BitDriver) {
  SensorRig rig({Processor(K8RevF())});
  EXPECT_FALSE(EnableUserCounterReads(rig.sensors));
  EXPECT_FALSE(DisableUserCounterReads(rig.sensors));
  EXPECT_TRUE(rig.Requests().empty());
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(BusyCycles, DeltasWrapAtTheFamilysCounterWidth) {
  SensorRig rig({Processor(K8RevF()), Processor(Core2())});
  const CpuInfo amd = rig.Identify(0);
  const CpuInfo intel = rig.Identify(1);
  const uint64_t amdTop = (uint64_t{1} << 48) - 10;
  const uint64_t intelTop = (uint64_t{1} << 40) - 10;
  EXPECT_EQ(BusyCyclesBetween(amd, amdTop, 5), 15u);
  EXPECT_EQ(BusyCyclesBetween(intel, intelTop, 5), 15u);
  EXPECT_EQ(BusyCyclesBetween(intel, 100, 250), 150u);
}

}  // namespace
}  // namespace pacetta::testing
