#include <gtest/gtest.h>

#include "model_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint32_t kControl = 0xC0010041;
constexpr uint32_t kStatus = 0xC0010042;
constexpr uint32_t kHwcr = 0xC0010015;
constexpr uint32_t kClockControl = 0xC001001B;

// FIDVID_CTL: FID 4..0 with FIDC (bit 16), VID 12..8 with VIDC (bit 17), SGTC 51..32.
uint64_t FidControl(uint64_t fid) {
  return 10000ull << 32 | 0x10000 | fid;
}
uint64_t VidControl(uint64_t vid) {
  return 100ull << 32 | 0x20000 | vid << 8;
}

TEST(K7Model, PowerOnRegistersOfAMobileAthlonXpM) {
  ModelRig rig(MobileAthlonXpM().Build());
  // 14 x 133 MHz = FID 22 (16h) at 1.45 V = mobile VID 11 (0Bh): current, start and max.
  EXPECT_EQ(rig.Read(kStatus), 0x000B0B0B'00161616ull);
  EXPECT_EQ(rig.Read(kControl), 0x0B16ull);
  // HWCR: FID[3:0] = 0110b in bits 27..24, FID[4] in bit 19.
  EXPECT_EQ(rig.Read(kHwcr), 0x06080000ull);
  EXPECT_EQ(rig.Read(kClockControl), 0x20031223ull);
  EXPECT_EQ(rig.State().current, (OperatingPoint{22, 11}));
}

TEST(K7Model, ChangesTakeEffectWhenTheWriteReturns) {
  ModelRig rig(MobileAthlonXpM().Build());
  ASSERT_TRUE(rig.Write(kControl, FidControl(4)));  // 5.0x
  EXPECT_EQ(rig.Read(kStatus) & 0x1F, 4u);
  EXPECT_EQ(rig.Read(kControl), FidControl(4));
  ASSERT_TRUE(rig.Write(kControl, VidControl(19)));  // 1.20 V
  EXPECT_EQ(rig.Read(kStatus) >> 32 & 0x1F, 19u);
  EXPECT_EQ(rig.State().current, (OperatingPoint{4, 19}));
  // Start and maximum fields never move.
  EXPECT_EQ(rig.Read(kStatus) & 0x1F1F00, 0x161600u);
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(K7Model, LimitsFollowTheMultiplierAndVoltageNotTheCode) {
  struct Case {
    uint64_t control;
    bool legal;
  };
  for (const Case& c : {
           Case{FidControl(0), true},    // 11.0x: code 0 is below the maximum multiplier
           Case{FidControl(19), false},  // 20.0x although code 19 < 22
           Case{FidControl(23), false},  // 21.0x
           Case{FidControl(30), false},  // 23.0x
           Case{FidControl(16), true},   // 3.0x
           Case{VidControl(11), true},   // the maximum itself
           Case{VidControl(10), false},  // 1.50 V
           Case{VidControl(0), false},   // 2.00 V
           Case{VidControl(16), true},   // 1.275 V, in the table's second range
       }) {
    ModelRig rig(MobileAthlonXpM().Build());
    ASSERT_TRUE(rig.Write(kControl, c.control));
    EXPECT_EQ(rig.Violations().empty(), c.legal) << std::hex << c.control;
    if (!c.legal) {
      EXPECT_EQ(rig.State().current, (OperatingPoint{22, 11})) << std::hex << c.control;
    }
  }
}

TEST(K7Model, DesktopPartWithoutPowerNowHasOnlyItsFidBits) {
  ModelRig rig(
      CpuBuilder("AuthenticAMD", 0x6A0, "AMD Athlon(tm) XP 3200+").PowerManagement(0x01).Build());
  uint64_t value = 0;
  EXPECT_FALSE(rig.TryRead(kStatus, value));
  EXPECT_FALSE(rig.TryRead(kControl, value));
  EXPECT_EQ(rig.Read(kHwcr) & 0x0F080000, 0u);  // FID 0 = 11.0x
  // HWCR's FID bits are the hardware's; CLK_CTL is software's.
  ASSERT_TRUE(rig.Write(kHwcr, 0x0F080001));
  EXPECT_EQ(rig.Read(kHwcr), 0x1ull);
  ASSERT_TRUE(rig.Write(kClockControl, 0x60031223));
  EXPECT_EQ(rig.Read(kClockControl), 0x60031223ull);
}

}  // namespace
}  // namespace pacetta::sim::testing
