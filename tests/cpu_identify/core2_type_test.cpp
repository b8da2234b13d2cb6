#include "cpu/identify/core2_type.h"

#include <gtest/gtest.h>

#include "cpu/identify/family_flags.h"
#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

class Core2Type : public ::testing::Test {
 protected:
  CpuInfo Core2(int32_t switchValue) {
    CpuInfo info = testing::RecordFor("GenuineIntel", 0x6FA);
    ClassifyFamily(info);
    info.switches.intelCore2CpuType = switchValue;
    return info;
  }
  testing::DriverWithRegisters hardware;
};

TEST_F(Core2Type, MobileBusCodeGivesTypeOne) {
  hardware.SetRegister(kMsrFsbFrequency, 0x5);  // 100 MHz bus
  CpuInfo info = Core2(-1);
  DetectCore2Type(info, hardware.driver());
  EXPECT_EQ(info.switches.intelCore2CpuType, 1);
  EXPECT_EQ(hardware.ReadsOf(kMsrFsbFrequency), 1);
}

TEST_F(Core2Type, DesktopBusCodeGivesTypeZero) {
  hardware.SetRegister(kMsrFsbFrequency, 0xFFFFFFF8u | 0x2);  // 200 MHz; upper bits ignored
  CpuInfo info = Core2(-1);
  DetectCore2Type(info, hardware.driver());
  EXPECT_EQ(info.switches.intelCore2CpuType, 0);
}

TEST_F(Core2Type, FailedReadGivesTypeZero) {
  CpuInfo info = Core2(-1);
  DetectCore2Type(info, hardware.driver());
  EXPECT_EQ(hardware.ReadsOf(kMsrFsbFrequency), 1);
  EXPECT_EQ(info.switches.intelCore2CpuType, 0);
}

TEST_F(Core2Type, ExplicitSwitchOrOtherProcessorReadsNothing) {
  hardware.SetRegister(kMsrFsbFrequency, 0x5);
  CpuInfo fixed = Core2(0);
  DetectCore2Type(fixed, hardware.driver());
  EXPECT_EQ(fixed.switches.intelCore2CpuType, 0);

  CpuInfo dothan = testing::RecordFor("GenuineIntel", 0x6D6);
  ClassifyFamily(dothan);
  DetectCore2Type(dothan, hardware.driver());
  EXPECT_EQ(dothan.switches.intelCore2CpuType, -1);
  EXPECT_EQ(hardware.ReadsOf(kMsrFsbFrequency), 0);
}

}  // namespace
}  // namespace pacetta
