#include <gtest/gtest.h>

#include "model_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint32_t kPerfStatus = 0x198;
constexpr uint32_t kPerfControl = 0x199;
constexpr uint32_t kClockModulation = 0x19A;
constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint64_t kEist = 1u << 16;
constexpr uint64_t kTransitionNs = 10'000;

uint32_t CurrentPoint(ModelRig& rig) {
  return rig.Read(kPerfStatus) & 0xFFFF;
}

TEST(IntelModel, PowerOnRegistersOfAPentiumMDothan) {
  ModelRig rig(PentiumMDothan().Build());
  // HFM 16x at 1.340 V (VID 40), LFM 6x at 0.988 V (VID 18): EDX 12..8 / 5..0 and 28..24 /
  // 21..16; the lowest FID again in EAX 28..24; running at HFM.
  EXPECT_EQ(rig.Read(kPerfStatus), 0x06121028'06001028ull);
  EXPECT_EQ(rig.Read(kPerfControl), 0x1028ull);
  EXPECT_EQ(rig.Read(kMiscEnable), 0x00011089ull);  // EIST on, TM1 on
  EXPECT_EQ(rig.Read(0x19D), 0x00010612ull);        // TM2 target LFM, TM2 selected
  EXPECT_EQ(rig.Read(kClockModulation), 0u);
  EXPECT_EQ(rig.Read(0x2A), 16ull << 22);
  EXPECT_EQ(rig.State().current, (OperatingPoint{16, 40}));
  EXPECT_EQ(rig.State().dutyEighths, 8u);
}

TEST(IntelModel, PerfControlCompletesAfterTheTransitionLatency) {
  ModelRig rig(PentiumMDothan().Build());
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0C20));  // 12x, VID 32
  EXPECT_EQ(rig.Read(kPerfControl), 0x0C20u);
  EXPECT_EQ(CurrentPoint(rig), 0x1028u);
  EXPECT_TRUE(rig.State().transitionPending);
  rig.Advance(kTransitionNs - 1);
  EXPECT_EQ(CurrentPoint(rig), 0x1028u);
  // A newer request replaces the one in progress and starts its own latency.
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0812));
  rig.Advance(kTransitionNs - 1);
  EXPECT_EQ(CurrentPoint(rig), 0x1028u);
  rig.Advance(1);
  EXPECT_EQ(CurrentPoint(rig), 0x0812u);
  EXPECT_EQ(rig.State().current, (OperatingPoint{8, 18}));
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(IntelModel, OperatingPointsOutsideThePartAreRefused) {
  for (uint64_t request : {0x0512ull, 0x1128ull, 0x1029ull, 0x3012ull}) {
    ModelRig rig(PentiumMDothan().Build());
    ASSERT_TRUE(rig.Write(kPerfControl, request));
    rig.Advance(kTransitionNs);
    EXPECT_EQ(CurrentPoint(rig), 0x1028u) << std::hex << request;
    EXPECT_EQ(rig.Read(kPerfControl), 0x1028u) << std::hex << request;
    const auto violations = rig.Violations();
    ASSERT_EQ(violations.size(), 1u) << std::hex << request;
    EXPECT_EQ(violations[0].index, uint32_t{kPerfControl});
    EXPECT_EQ(violations[0].value, request);
  }
}

TEST(IntelModel, WithEnhancedSpeedStepOffAWriteHasNoEffect) {
  ModelRig rig(PentiumMDothan().Build());
  ASSERT_TRUE(rig.Write(kMiscEnable, rig.Read(kMiscEnable) & ~kEist));
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0812));
  EXPECT_EQ(rig.Read(kPerfControl), 0x0812u);  // latched
  rig.Advance(10 * kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x1028u);
  // Even an impossible request is not looked at: nothing acts on it.
  ASSERT_TRUE(rig.Write(kPerfControl, 0x3012));
  EXPECT_TRUE(rig.Violations().empty());

  ASSERT_TRUE(rig.Write(kMiscEnable, rig.Read(kMiscEnable) | kEist));
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0812));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x0812u);
}

TEST(IntelModel, MiscEnableKeepsTheHardwareBitsAndTheSpeedStepLock) {
  ModelRig rig(PentiumMDothan().Build());
  ASSERT_TRUE(rig.Write(kMiscEnable, 0));
  EXPECT_EQ(rig.Read(kMiscEnable), 0x1080ull);  // bits 7 and 12 are read-only
  ASSERT_TRUE(rig.Write(kMiscEnable, 0x1080 | kEist | 1u << 20));
  ASSERT_TRUE(rig.Write(kMiscEnable, 0x1080));  // locked: the enable and the lock stay
  EXPECT_EQ(rig.Read(kMiscEnable), 0x1080 | kEist | 1u << 20);

  // Without Enhanced SpeedStep the bit does not exist.
  ModelRig p4(Pentium4Prescott().Build());
  EXPECT_FALSE(p4.Write(kMiscEnable, p4.Read(kMiscEnable) | kEist));
  EXPECT_EQ(p4.Read(kMiscEnable), 0x89ull);
}

TEST(IntelModel, ClockModulationDutyCycle) {
  ModelRig rig(PentiumMDothan().Build());
  ASSERT_TRUE(rig.Write(kClockModulation, 0x18));  // enabled, 4/8
  EXPECT_EQ(rig.Read(kClockModulation), 0x18u);
  EXPECT_EQ(rig.State().dutyEighths, 4u);
  ASSERT_TRUE(rig.Write(kClockModulation, 0x0E));  // level bits without the enable
  EXPECT_EQ(rig.State().dutyEighths, 8u);
  EXPECT_FALSE(rig.Write(kClockModulation, 0x21));  // reserved bits fault
  EXPECT_EQ(rig.Read(kClockModulation), 0x0Eu);
  ASSERT_TRUE(rig.Write(kClockModulation, 0x10));  // duty cycle 000b is reserved
  EXPECT_EQ(rig.Read(kClockModulation), 0x0Eu);
  ASSERT_EQ(rig.Violations().size(), 1u);
  EXPECT_EQ(rig.Violations()[0].index, uint32_t{kClockModulation});
}

TEST(IntelModel, Core2RegistersIdaAndSuperLfm) {
  ModelRig rig(Core2T7500().Build());
  // HFM 11x at VID 43, LFM 6x at VID 19; Super LFM 6x at VID 15, IDA 12x at VID 45.
  EXPECT_EQ(rig.Read(kPerfStatus), 0x06130B2B'06000B2Bull);
  EXPECT_EQ(rig.Read(0x17), 0x0B2Bull);
  EXPECT_EQ(rig.Read(0xCD), 2ull);  // 200 MHz bus
  EXPECT_EQ(rig.Read(0xCE), 0x00000C2D'0000060Full);
  EXPECT_EQ(rig.Read(0xEE), 1ull << 28);  // DFFS enabled, 100 °C junction

  // The IDA point is accepted while IDA is engaged (bit 32 clear) and refused otherwise.
  ASSERT_TRUE(rig.Write(kPerfControl, 0x1'00000C2Dull));
  EXPECT_EQ(rig.Violations().size(), 1u);
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0C2D));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x0C2Du);

  // Super LFM (bit 15) halves the bus while DFFS is enabled.
  ASSERT_TRUE(rig.Write(kPerfControl, 0x860F));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x860Fu);
  EXPECT_TRUE(rig.State().superLfm);
  ASSERT_TRUE(rig.Write(0xEE, 0));
  ASSERT_TRUE(rig.Write(kPerfControl, 0x860F));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x060Fu);
  EXPECT_FALSE(rig.State().superLfm);
  EXPECT_FALSE(rig.Write(kPerfControl, 0x2'00000B2Bull));  // reserved bit 33
}

TEST(IntelModel, DesktopCore2HasNeitherSuperLfmNorIda) {
  ModelRig rig(CpuBuilder("GenuineIntel", 0x6FB, "Intel(R) Core(TM)2 Duo CPU     E6750  @ 2.66GHz")
                   .Features(0xE3FD, 0xBFEBFBFF)
                   .ThermalPower(0x1)
                   .Build());
  EXPECT_EQ(rig.Read(0xCD), 4ull);        // 333 MHz bus
  EXPECT_EQ(rig.Read(0xEE), 1ull << 30);  // 85 °C junction maximum
  ASSERT_TRUE(rig.Write(0xEE, 1ull << 28));
  EXPECT_EQ(rig.Read(0xEE), (1ull << 30) | (1ull << 28));
  // The half-bus request is ignored, and bit 32 does not exist without IDA.
  ASSERT_TRUE(rig.Write(kPerfControl, 0x861B));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x061Bu);
  EXPECT_FALSE(rig.State().superLfm);
  EXPECT_FALSE(rig.Write(kPerfControl, 0x1'0000061Bull));
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(IntelModel, Pentium4Registers) {
  ModelRig rig(Pentium4Prescott().Build());
  // 15 x 200 MHz at 1.3875 V (VID 45) in EDX 15..8 / 7..0.
  EXPECT_EQ(rig.Read(kPerfStatus), 0x00000F2D'00000F2Dull);
  // MSR 2Ch: current ratio 31..24, bit 20 with the ratio range, bus code 010b.
  EXPECT_EQ(rig.Read(0x2C), 0x0F12000Full);
  EXPECT_EQ(rig.Read(0x2D), 0x0F0Full);
  EXPECT_EQ(rig.Read(0x1A1), 0u);
  // No Enhanced SpeedStep: the request is latched and nothing happens.
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0E2D));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x0F2Du);
}

TEST(IntelModel, Pentium4Model2HasOnlyTheChipsetRatio) {
  ModelRig rig(CpuBuilder("GenuineIntel", 0xF29, "Mobile Intel(R) Pentium(R) 4 - M CPU 2.20GHz")
                   .Features(0x4400, 0xBFEBF9FF)
                   .Build());
  uint64_t value = 0;
  EXPECT_FALSE(rig.TryRead(kPerfStatus, value));
  EXPECT_FALSE(rig.TryRead(kPerfControl, value));
  // 22x now, ratio range 22 down to 12 (SpeedStep low mode), bus code 000b = 100 MHz.
  EXPECT_EQ(rig.Read(0x2C), 0x16100A16ull);
  EXPECT_EQ(rig.State().current.fid, 22u);
  ASSERT_TRUE(rig.Write(kClockModulation, 0x1A));
  EXPECT_EQ(rig.State().dutyEighths, 5u);
}

TEST(IntelModel, ViaC7Registers) {
  ModelRig rig(ViaEsther().Build());
  // 15x at VID 28 (1.148 V) in EDX 15..8 / 7..0, lowest 4x at VID 9 in EDX 31..24 / 23..16,
  // the lowest FID again in EAX 31..24.
  EXPECT_EQ(rig.Read(kPerfStatus), 0x04090F1C'04000F1Cull);
  EXPECT_EQ(rig.Read(kMiscEnable), 0x00010008ull);
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0314));  // below the lowest FID
  ASSERT_TRUE(rig.Write(kPerfControl, 0x0A14));
  rig.Advance(kTransitionNs);
  EXPECT_EQ(CurrentPoint(rig), 0x0A14u);
  EXPECT_EQ(rig.Violations().size(), 1u);
}

TEST(IntelModel, ReadOnlyRegistersFaultOnWrite) {
  ModelRig rig(Core2T7500().Build());
  for (uint32_t index : {0x17u, 0xCDu, 0xCEu, 0x198u}) {
    const uint64_t before = rig.Read(index);
    EXPECT_FALSE(rig.Write(index, 0)) << std::hex << index;
    EXPECT_EQ(rig.Read(index), before) << std::hex << index;
  }
  // EBL_CR_POWERON: only the bus error-checking bits are software's.
  ASSERT_TRUE(rig.Write(0x2A, 0x5E));
  EXPECT_EQ(rig.Read(0x2A), (11ull << 22) | 0x5E);
}

}  // namespace
}  // namespace pacetta::sim::testing
