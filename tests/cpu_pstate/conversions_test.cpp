#include <gtest/gtest.h>

#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/vid_conversion.h"
#include "tests/cpu_pstate/records.h"

namespace pacetta {
namespace {

using testing::Record;

struct Sample {
  int32_t code;
  int32_t index;
  double value;  // multiplier or volts
};

void ExpectFids(const CpuInfo& cpu, std::initializer_list<Sample> samples) {
  for (const Sample& s : samples) {
    EXPECT_EQ(FidToIndex(cpu, s.code), s.index) << "FID " << s.code;
    if (s.index < 0) continue;
    EXPECT_EQ(IndexToFid(cpu, s.index), s.code) << "index " << s.index;
    EXPECT_DOUBLE_EQ(FidIndexToMultiplier(cpu, s.index), s.value) << "index " << s.index;
  }
}

void ExpectVids(const CpuInfo& cpu, std::initializer_list<Sample> samples) {
  for (const Sample& s : samples) {
    EXPECT_EQ(VidToIndex(cpu, s.code), s.index) << "VID " << s.code;
    if (s.index < 0) continue;
    EXPECT_EQ(IndexToVid(cpu, s.index), s.code) << "index " << s.index;
    EXPECT_NEAR(VidIndexToVoltage(cpu, s.index), s.value, 1e-9) << "VID " << s.code;
  }
}

// Index order must follow the physical order: multipliers strictly rising, voltages never
// falling, over the whole index range.
void ExpectMonotonic(const CpuInfo& cpu, int32_t fidIndices, int32_t vidIndices) {
  for (int32_t i = 1; i < fidIndices; ++i) {
    EXPECT_GT(FidIndexToMultiplier(cpu, i), FidIndexToMultiplier(cpu, i - 1)) << i;
  }
  for (int32_t i = 1; i < vidIndices; ++i) {
    EXPECT_GE(VidIndexToVoltage(cpu, i), VidIndexToVoltage(cpu, i - 1)) << i;
  }
}

TEST(Conversions, AmdK7) {
  CpuInfo mobile = testing::K7();
  ExpectFids(mobile,
             {{16, 0, 3.0}, {18, 1, 4.0}, {4, 2, 5.0}, {0, 14, 11.0}, {31, 31, 24.0}, {32, -1, 0}});
  ExpectVids(mobile, {{31, 0, 0.0},
                      {15, 1, 0.0},
                      {30, 2, 0.925},
                      {16, 16, 1.275},
                      {14, 17, 1.300},
                      {0, 31, 2.000},
                      {32, -1, 0}});
  ExpectMonotonic(mobile, 32, 32);
  CpuInfo desktop = mobile;
  desktop.switches.amdK7DesktopVids = 1;
  ExpectVids(desktop, {{31, 0, 0.0}, {30, 1, 1.100}, {0, 31, 1.850}});
  ExpectMonotonic(desktop, 0, 32);
}

TEST(Conversions, AmdK8EvenFineAndRestrictedTables) {
  CpuInfo cpu = testing::K8();
  cpu.k8FidTable = 0;  // even FIDs 0..42
  ExpectFids(cpu, {{0, 0, 4.0}, {6, 3, 7.0}, {8, 4, 8.0}, {42, 21, 25.0}, {43, -1, 0}});
  EXPECT_EQ(FidToIndex(cpu, 9), 4);  // not offered: the largest offered FID below it
  EXPECT_EQ(IndexToFid(cpu, 22), -1);
  ExpectMonotonic(cpu, 22, 0);

  cpu.k8FidTable = 12;  // 0, 2, 4, 8..42
  ExpectFids(cpu, {{4, 2, 6.0}, {8, 3, 8.0}, {42, 20, 25.0}});
  EXPECT_EQ(FidToIndex(cpu, 6), 2);

  cpu.k8FidTable = 25;  // 0, 1, every FID 8..42
  ExpectFids(cpu, {{1, 1, 4.5}, {8, 2, 8.0}, {9, 3, 8.5}, {42, 36, 25.0}});
  EXPECT_EQ(FidToIndex(cpu, 7), 1);
  cpu.k8FidTable = 16;  // every FID
  ExpectMonotonic(cpu, 43, 0);
  EXPECT_EQ(IndexToFid(cpu, 43), -1);

  cpu.k8FidTable = 13;  // no such table
  EXPECT_EQ(FidToIndex(cpu, 8), -1);
  EXPECT_EQ(FidIndexToMultiplier(cpu, 0), 0.0);
}

TEST(Conversions, AmdK8VoltageTables) {
  ExpectVids(testing::K8(), {{0, 31, 1.550}, {30, 1, 0.800}, {31, 0, 0.0}, {32, -1, 0}});
  ExpectMonotonic(testing::K8(), 0, 32);
  // Brand table row 9 marks a mobile part before NPT.
  CpuInfo mobile = Record("AuthenticAMD", 0xF4A, {testing::kFidVidControl, 0, 0, 9 << 6});
  ASSERT_TRUE(mobile.isMobileK8);
  ExpectVids(mobile, {{0, 31, 1.450}, {30, 1, 0.700}});
  CpuInfo npt = testing::K8(0x40F32);
  ExpectVids(npt, {{0, 63, 1.550}, {31, 32, 0.775}, {32, 31, 0.7625}, {63, 0, 0.375}, {64, -1, 0}});
  ExpectMonotonic(npt, 0, 64);
}

TEST(Conversions, IntelViaAndTransmeta) {
  CpuInfo dothan = Record("GenuineIntel", 0x6D6);
  ExpectFids(dothan, {{6, 0, 6.0}, {8, 1, 8.0}, {63, 56, 63.0}, {64, -1, 0}});
  EXPECT_EQ(FidToIndex(dothan, 7), 0);
  EXPECT_EQ(FidToIndex(dothan, 2), 0);
  ExpectVids(dothan, {{0, 0, 0.700}, {40, 40, 1.340}});

  ExpectVids(Record("GenuineIntel", 0x6E8), {{32, 32, 1.1125}});  // Core Duo
  CpuInfo core2 = Record("GenuineIntel", 0x6FA);
  core2.switches.intelCore2CpuType = 0;
  ExpectVids(core2, {{32, 32, 1.225}});
  core2.switches.intelCore2CpuType = 1;
  ExpectVids(core2, {{32, 32, 1.1125}});
  ExpectFids(core2, {{6, 6, 6.0}, {11, 11, 11.0}});

  CpuInfo prescott = Record("GenuineIntel", 0xF41);
  ExpectVids(prescott, {{0, 0, 0.8375}, {1, 1, 0.8375}, {62, 62, 1.600}, {63, 63, 1.600}});
  EXPECT_EQ(VidIndexToVoltage(prescott, 64), 0.0);
  ExpectVids(Record("GenuineIntel", 0xF27), {{20, 20, 0.0}});  // no voltage control
  ExpectFids(Record("GenuineIntel", 0xF27), {{14, 14, 14.0}});

  CpuInfo c7 = Record("CentaurHauls", 0x6A9);
  ExpectFids(c7, {{10, 10, 10.0}});
  ExpectVids(c7, {{25, 25, 1.100}});
  CpuInfo crusoe = Record("GenuineTMx86", 0x543);
  ExpectFids(crusoe, {{1000, 1000, 30.0}});
  ExpectVids(crusoe, {{1200, 1200, 1.2}});
}

TEST(Conversions, UnknownProcessorsAndNegativeValuesHaveNothing) {
  for (const CpuInfo& cpu : {Record("GenuineIntel", 0x686) /* Pentium III */,
                             Record("AuthenticAMD", 0x100F22), Record("Unknown vendor", 0x6A0)}) {
    EXPECT_EQ(FidToIndex(cpu, 10), -1);
    EXPECT_EQ(IndexToFid(cpu, 0), -1);
    EXPECT_EQ(FidIndexToMultiplier(cpu, 0), 0.0);
    EXPECT_EQ(VidToIndex(cpu, 10), -1);
    EXPECT_EQ(VidIndexToVoltage(cpu, 0), 0.0);
  }
  for (const CpuInfo& cpu : {testing::K7(), testing::K8(), Record("GenuineIntel", 0x6D6),
                             Record("GenuineTMx86", 0x543)}) {
    EXPECT_EQ(FidToIndex(cpu, -1), -1);
    EXPECT_EQ(IndexToFid(cpu, -1), -1);
    EXPECT_EQ(FidIndexToMultiplier(cpu, -1), 0.0);
    EXPECT_EQ(VidToIndex(cpu, -1), -1);
    EXPECT_EQ(IndexToVid(cpu, -1), -1);
    EXPECT_EQ(VidIndexToVoltage(cpu, -1), 0.0);
  }
}

}  // namespace
}  // namespace pacetta
