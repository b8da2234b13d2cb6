#include <gtest/gtest.h>

#include "workload_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint32_t kTsc = 0x10;
constexpr uint32_t kK8Control = 0xC0010041;
constexpr uint64_t kInitFidVid = 1ull << 16;

uint64_t TscOver(WorkloadRig& rig, uint64_t ns, unsigned k = 0) {
  const uint64_t before = rig.Load().TimeStampCounter(k);
  rig.Advance(ns);
  return rig.Load().TimeStampCounter(k) - before;
}

// A K8 FID change that keeps the VID, with a stop-grant time of `stopGrantNs`.
uint64_t K8FidRequest(WorkloadRig& rig, uint32_t fid, uint64_t stopGrantNs) {
  return uint64_t{stopGrantNs / 5} << 32 | kInitFidVid | uint64_t{rig.State().current.vid} << 8 |
         fid;
}

TEST(TimeStampCounter, RunsAtEachFamilysRate) {
  struct Case {
    const char* name;
    ProcessorSpec processor;
    double mhz;
  };
  const Case cases[] = {
      {"K8 10 x 200 MHz", AthlonVenice().Build(), 2000.0},
      {"K7 14 x 133 MHz", MobileAthlonXpM().Build(), 14 * 400.0 / 3},
      {"Pentium M 16 x 100 MHz", PentiumMDothan().Build(), 1600.0},
      {"Core 2 11 x 200 MHz", Core2T7500().Build(), 2200.0},
      {"Pentium 4 15 x 200 MHz", Pentium4Prescott().Build(), 3000.0},
      {"VIA C7 15 x 100 MHz", ViaEsther().Build(), 1500.0},
  };
  for (const Case& c : cases) {
    WorkloadRig rig(c.processor);
    EXPECT_NEAR(static_cast<double>(TscOver(rig, kSecond)), c.mhz * 1e6, 2) << c.name;
    EXPECT_NEAR(rig.Truth().coreMhz, c.mhz, 1e-6) << c.name;
    // The instruction and the register read the same counter.
    EXPECT_NEAR(static_cast<double>(rig.Read(kTsc)),
                static_cast<double>(rig.Load().TimeStampCounter(0)), 1)
        << c.name;
  }
}

TEST(TimeStampCounter, FollowsTheCoreClockOnAK8FromTheMomentTheTransitionEnds) {
  WorkloadRig rig(AthlonVenice().Build());
  const uint64_t before = rig.Load().TimeStampCounter(0);
  ASSERT_TRUE(rig.Write(kK8Control, K8FidRequest(rig, 0x0A, 100'000)));  // 1.8 GHz
  rig.Advance(kSecond);
  // 100 µs of stop grant still at 2.0 GHz, the rest of the second at 1.8 GHz, although
  // nothing read the status register in between.
  const uint64_t expected = 100'000 * 2000 / 1000 + (kSecond - 100'000) * 1800 / 1000;
  EXPECT_NEAR(static_cast<double>(rig.Load().TimeStampCounter(0) - before),
              static_cast<double>(expected), 2);
  EXPECT_DOUBLE_EQ(rig.Truth().coreMhz, 1800.0);
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(TimeStampCounter, StaysConstantOnACore2WhoseClockDrops) {
  WorkloadRig rig(Core2T7500().Build());
  const ModelState high = rig.State();
  ASSERT_TRUE(rig.Write(0x199, 6u << 8 | (high.current.vid - 8)));
  EXPECT_NEAR(static_cast<double>(TscOver(rig, kSecond)), 2200e6, 2);
  EXPECT_DOUBLE_EQ(rig.Truth().coreMhz, 1200.0);
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(TimeStampCounter, WritesKeepCountingFromTheWrittenValue) {
  WorkloadRig amd(AthlonVenice().Build());
  ASSERT_TRUE(amd.Write(kTsc, 0x1'2345'6789ull));
  EXPECT_EQ(amd.Read(kTsc), 0x1'2345'6789ull);
  amd.Advance(1000);
  EXPECT_EQ(amd.Read(kTsc), 0x1'2345'6789ull + 2000);
  // Intel writes the low half and clears the high one.
  WorkloadRig intel(PentiumMDothan().Build());
  ASSERT_TRUE(intel.Write(kTsc, 0x1'2345'6789ull));
  EXPECT_EQ(intel.Read(kTsc), 0x2345'6789ull);
}

TEST(BusyCounter, CountsUnhaltedCyclesTimesDutyTimesLoadInTheSelectedModes) {
  WorkloadRig rig(PentiumMDothan().Build(), Options("script:busy=50:kernel=20"));
  ASSERT_TRUE(rig.Write(0x19A, 0x10 | 4 << 1));  // clock modulation 4/8
  ASSERT_TRUE(rig.Write(0x187, 0));
  ASSERT_TRUE(rig.Write(0x186, 0x00410079));  // unhalted cycles, user mode only
  uint64_t before = rig.Read(0xC1);
  rig.Advance(kSecond);
  EXPECT_NEAR(static_cast<double>(rig.Read(0xC1) - before), 1600e6 * 0.5 * 0.5 * 0.8, 2);
  // User and kernel mode.
  ASSERT_TRUE(rig.Write(0x186, 0x00430079));
  before = rig.Read(0xC1);
  rig.Advance(kSecond);
  EXPECT_NEAR(static_cast<double>(rig.Read(0xC1) - before), 1600e6 * 0.5 * 0.5, 2);
  // Another event counts nothing here; the counter keeps its value.
  ASSERT_TRUE(rig.Write(0x186, 0x004300C0));
  before = rig.Read(0xC1);
  rig.Advance(kSecond);
  EXPECT_EQ(rig.Read(0xC1), before);
  // PerfEvtSel0's enable governs both P6 counters: counter 1's own enable does not count.
  ASSERT_TRUE(rig.Write(0x186, 0x00030079));
  ASSERT_TRUE(rig.Write(0x187, 0x00430079));
  before = rig.Read(0xC2);
  rig.Advance(kSecond);
  EXPECT_EQ(rig.Read(0xC2), before);
  ASSERT_TRUE(rig.Write(0x186, 0x00410079));
  before = rig.Read(0xC2);
  rig.Advance(kSecond);
  EXPECT_NEAR(static_cast<double>(rig.Read(0xC2) - before), 1600e6 * 0.25, 2);
}

TEST(BusyCounter, EachFamilysProgrammingCountsAFullyBusyCore) {
  struct Case {
    const char* name;
    ProcessorSpec processor;
    std::vector<std::pair<uint32_t, uint64_t>> setup;
    uint32_t counter;
    double mhz;
  };
  const Case cases[] = {
      {"K8", AthlonVenice().Build(), {{0xC0010000, 0x004B0076}}, 0xC0010004, 2000.0},
      {"K7", MobileAthlonXpM().Build(), {{0xC0010000, 0x00490076}}, 0xC0010004, 14 * 400.0 / 3},
      {"Core 2", Core2T7500().Build(), {{0x187, 0}, {0x186, 0x0043003C}}, 0xC1, 2200.0},
      {"Pentium 4",
       Pentium4Prescott().Build(),
       {{0x3A2, 0x2600020F}, {0x360, 0x0003D000}},
       0x300,
       3000.0},
  };
  for (const Case& c : cases) {
    WorkloadRig rig(c.processor, Options("full"));
    for (const auto& [index, value] : c.setup) ASSERT_TRUE(rig.Write(index, value)) << c.name;
    uint64_t before = 0;
    ASSERT_TRUE(rig.Hardware().Bank(0)->ReadPerformanceCounter(0, before)) << c.name;
    rig.Advance(kSecond);
    uint64_t after = 0;
    ASSERT_TRUE(rig.Hardware().Bank(0)->ReadPerformanceCounter(0, after)) << c.name;
    EXPECT_NEAR(static_cast<double>(after - before), c.mhz * 1e6, 2) << c.name;
  }
  // The VIA C7 has no counter the driver reads.
  WorkloadRig via(ViaEsther().Build(), Options("full"));
  uint64_t value = 0;
  EXPECT_FALSE(via.Hardware().Bank(0)->ReadPerformanceCounter(0, value));
}

TEST(BusyCounter, WrapsAtTheFamilysWidthAndIntelSignExtendsWrites) {
  WorkloadRig amd(AthlonVenice().Build(), Options("full"));
  ASSERT_TRUE(amd.Write(0xC0010000, 0x004B0076));
  ASSERT_TRUE(amd.Write(0xC0010004, 0xFFFF'FFFF'FF00ull));
  amd.Advance(1000);  // 2000 cycles
  EXPECT_EQ(amd.Read(0xC0010004), 2000u - 0x100);
  EXPECT_FALSE(amd.Write(0xC0010000, 1ull << 40));  // reserved bits fault

  WorkloadRig intel(Core2T7500().Build());
  ASSERT_TRUE(intel.Write(0xC1, 0x8000'0000));
  EXPECT_EQ(intel.Read(0xC1), 0xFF'8000'0000ull);
}

TEST(BusyCounter, APinnedSpinCountsAsBusyOnlyOnItsProcessor) {
  WorkloadRig rig(DualCore(AthlonVenice()), Options("idle"));
  for (unsigned k = 0; k < 2; ++k) ASSERT_TRUE(rig.Write(0xC0010000, 0x004B0076, k));
  const uint64_t busy0 = rig.Read(0xC0010004, 0), busy1 = rig.Read(0xC0010004, 1);
  const uint64_t start = rig.Now();
  rig.Load().SpinDelay(0, 100'000);
  // 100 000 passes of 40 cycles at 2.0 GHz: 2 ms, all of it busy.
  EXPECT_EQ(rig.Now() - start, 2'000'000u);
  EXPECT_NEAR(static_cast<double>(rig.Read(0xC0010004, 0) - busy0), 4e6, 2);
  EXPECT_EQ(rig.Read(0xC0010004, 1), busy1);
  platform::ProcessorTimes times[2];
  rig.Load().ProcessorTimes(times);
  EXPECT_EQ(times[0].user, 20'000);  // 2 ms in 100-ns units
  EXPECT_EQ(times[1].user, 0);
  EXPECT_EQ(rig.Truth(0).busy, 0.0);  // the spin is over
}

TEST(BusyCounter, ASpinTakesLongerUnderClockModulation) {
  WorkloadRig rig(PentiumMDothan().Build());
  ASSERT_TRUE(rig.Write(0x19A, 0x10 | 2 << 1));  // the clock runs 2/8 of the time
  const uint64_t start = rig.Now();
  rig.Load().SpinDelay(0, 40'000);  // 1.6 M cycles at 1.6 GHz: 1 ms of running clock
  EXPECT_EQ(rig.Now() - start, 4'000'000u);
}

}  // namespace
}  // namespace pacetta::sim::testing
