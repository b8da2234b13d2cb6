#include <gtest/gtest.h>

#include <cmath>

#include "workload_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint32_t kThermStatus = 0x19C;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint64_t kHotNow = 1, kHotLog = 2;
constexpr uint32_t kK8Misc = 0x18 * 8 + 3;  // node 0, function 3

uint32_t Readout(uint64_t status) {
  return status >> 16 & 0x7F;
}

TEST(Thermal, TemperatureFollowsPowerWithItsTimeConstant) {
  WorkloadRig rig(Core2T7500().Build(),
                  Options("script:idle@60s,full@60s", "ambient=40,rise=35,tau=10"));
  // At rest a halted core keeps a tenth of its power: 40 + 35 x 0.1.
  EXPECT_NEAR(rig.Truth().celsius, 43.5, 1e-9);
  uint64_t status = rig.Read(kThermStatus);
  EXPECT_EQ(status >> 31, 1u);      // reading valid
  EXPECT_EQ(Readout(status), 57u);  // 56.5 below the 100 °C junction maximum
  rig.Advance(70 * kSecond);        // 10 s (one time constant) of full load
  const double heated = 75 - (75 - 43.5) * std::exp(-1.0);
  EXPECT_NEAR(rig.Truth().celsius, heated, 1e-6);
  EXPECT_EQ(Readout(rig.Read(kThermStatus)), static_cast<uint32_t>(std::lround(100 - heated)));
  rig.Advance(60 * kSecond);  // 50 s more at full load, then 10 s idle again
  const double peak = 75 - (75 - 43.5) * std::exp(-6.0);
  EXPECT_NEAR(rig.Truth().celsius, 43.5 + (peak - 43.5) * std::exp(-1.0), 1e-6);
}

TEST(Thermal, ALowerStateRunsCooler) {
  WorkloadRig rig(Core2T7500().Build(), Options("full", "ambient=40,rise=35,tau=10"));
  EXPECT_NEAR(rig.Truth().celsius, 75, 1e-9);
  ASSERT_TRUE(rig.Write(0x199, 6u << 8 | 19));  // 1.2 GHz at 0.95 V
  rig.Advance(1000 * kSecond);
  // Power follows clock x voltage squared.
  const double volts = 0.95 / 1.25, clock = 1200.0 / 2200;
  EXPECT_NEAR(rig.Truth().celsius, 40 + 35 * clock * volts * volts, 1e-6);
}

TEST(Thermal, CrossingTheLimitSetsTheStatusAndStickyLogAndThrottles) {
  WorkloadRig rig(Core2T7500().Build(), Options("script:idle@10s,full", "ambient=40,rise=100"));
  ASSERT_TRUE(rig.Write(0x186, 0x0043003C));
  // From 50 °C towards 140 °C the 100 °C limit is reached 10 ln(90/40) = 8.11 s in.
  rig.Advance(18 * kSecond);
  EXPECT_EQ(rig.Read(kThermStatus) & 3, 0u);
  rig.Advance(200'000'000);
  EXPECT_EQ(rig.Read(kThermStatus) & 3, kHotNow | kHotLog);
  EXPECT_EQ(Readout(rig.Read(kThermStatus)), 0u);
  EXPECT_TRUE(rig.Truth().throttled);
  EXPECT_EQ(rig.Truth().duty, 0.5);
  uint64_t before = rig.Read(0xC1);
  rig.Advance(kSecond);
  EXPECT_NEAR(static_cast<double>(rig.Read(0xC1) - before), 2200e6 * 0.5, 2);
  // Throttled it heads for 95 °C and lets go at 98 °C, 10 ln(5/3) = 5.11 s after the
  // crossing; the log stays until software writes it as 0.
  rig.Advance(4'100'000'000);  // 23.3 s
  uint64_t status = rig.Read(kThermStatus);
  EXPECT_EQ(status & 3, kHotLog);
  EXPECT_FALSE(rig.Truth().throttled);
  ASSERT_TRUE(rig.Write(kThermStatus, status & ~kHotLog));
  EXPECT_EQ(rig.Read(kThermStatus) & 3, 0u);
  // Unthrottled it is back at the limit 10 ln(42/40) = 0.49 s later.
  rig.Advance(500'000'000);
  EXPECT_EQ(rig.Read(kThermStatus) & 3, kHotNow | kHotLog);
  // Reserved bits fault; read-only bits ignore the write.
  EXPECT_FALSE(rig.Write(kThermStatus, 1ull << 40));
  EXPECT_TRUE(rig.Write(kThermStatus, kHotNow | kHotLog));
  EXPECT_EQ(rig.Read(kThermStatus) & 3, kHotNow | kHotLog);
}

TEST(Thermal, WithoutTheThermalMonitorAHotPartKeepsItsClock) {
  WorkloadRig rig(Core2T7500().Build(), Options("full", "ambient=40,rise=100"));
  // Both monitors off: TM1 (bit 3) and TM2 (bit 13).
  ASSERT_TRUE(rig.Write(kMiscEnable, rig.Read(kMiscEnable) & ~uint64_t{0x2008}));
  rig.Advance(100 * kSecond);
  EXPECT_EQ(rig.Read(kThermStatus) & 3, kHotNow | kHotLog);
  EXPECT_FALSE(rig.Truth().throttled);
  EXPECT_EQ(rig.Truth().duty, 1.0);
  EXPECT_NEAR(rig.Truth().celsius, 140, 1e-2);
}

TEST(Thermal, PartsWithoutADigitalSensorReportOnlyTheStatusBits) {
  WorkloadRig rig(PentiumMDothan().Build(), Options("full", "rise=100"));
  ASSERT_TRUE(rig.Write(kMiscEnable, rig.Read(kMiscEnable) & ~uint64_t{8}));  // stays hot
  rig.Advance(100 * kSecond);
  const uint64_t status = rig.Read(kThermStatus);
  EXPECT_EQ(status & 3, kHotNow | kHotLog);
  EXPECT_EQ(status >> 16, 0u);  // no readout, not valid
}

TEST(Thermal, TheK8NorthbridgeShowsTheSelectedCoresTemperature) {
  WorkloadRig rig(DualCore(AthlonVenice()), Options("script:full;idle"));
  rig.Advance(100 * kSecond);
  const double hot = rig.Truth(0).celsius, cool = rig.Truth(1).celsius;
  EXPECT_GT(hot, cool + 20);
  // Before revision F: degrees + 49 in bits 23..16, bits 15..14 zero; ThermtpEn set.
  uint32_t value = rig.ReadPci(kK8Misc, 0xE4);
  EXPECT_EQ(value >> 14 & 0x3FF, static_cast<uint32_t>(std::lround(hot + 49)) << 2);
  EXPECT_EQ(value & 0x2F, 0x20u);
  rig.WritePci(kK8Misc, 0xE4, value | 4);  // core select
  value = rig.ReadPci(kK8Misc, 0xE4);
  EXPECT_EQ(value & 4, 4u);
  EXPECT_EQ(value >> 14 & 0x3FF, static_cast<uint32_t>(std::lround(cool + 49)) << 2);

  // Revision F counts quarter degrees.
  WorkloadRig revF(DualCore(TurionX2()), Options("full"));
  revF.Advance(3 * kSecond);
  const double celsius = revF.Truth(0).celsius;
  EXPECT_EQ(revF.ReadPci(kK8Misc, 0xE4) >> 14 & 0x3FF,
            static_cast<uint32_t>(std::lround((celsius + 49) * 4)));
}

}  // namespace
}  // namespace pacetta::sim::testing
