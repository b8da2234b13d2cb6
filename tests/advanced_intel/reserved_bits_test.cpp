// The simulated parts refuse a write that sets a bit their family does not have, as the
// real ones raise a protection fault, and accept the bits the family has.
#include <gtest/gtest.h>

#include "tests/advanced_intel/intel_rig.h"

namespace pacetta::testing {
namespace {

constexpr uint64_t Bit(unsigned n) {
  return uint64_t{1} << n;
}

struct Case {
  const char* machine;
  uint32_t msr;
  uint64_t bit;
  bool exists;
};

TEST(IntelReservedBits, SettingABitTheFamilyLacksFaultsAndLeavesTheRegister) {
  const Case cases[] = {
      // Enhanced C-states: Core Solo/Duo and Core 2 only; C1E on the Pentium 4 from F40h.
      {"pentium-m-laptop", 0x1A0, Bit(25), false},
      {"core-duo-laptop", 0x1A0, Bit(33), true},
      {"core2-duo-laptop", 0x1A0, Bit(31), true},
      {"pentium4-ht", 0x1A0, Bit(25), false},
      // TM2's enable: Pentium 4 with TM2 and Core; the Core 2's shared monitor bit 17.
      {"pentium4-ht", 0x1A0, Bit(13), false},
      {"core-duo-laptop", 0x1A0, Bit(17), false},
      {"core2-duo-laptop", 0x1A0, Bit(17), true},
      {"via-c7", 0x1A0, Bit(13), false},
      {"pentium4-ht", 0x1A0, Bit(16), false},  // no Enhanced SpeedStep on this part
      // The TM2 select of MSR_THERM2_CTL: Pentium M and C7 only.
      {"pentium-m-laptop", 0x19D, Bit(16), true},
      {"via-c7", 0x19D, Bit(16), true},
      {"core2-duo-laptop", 0x19D, Bit(16), false},
      {"pentium-m-laptop", 0x19D, Bit(20), false},
      // Core 2: TM1 sync and extended throttling in 1AAh, DFFS in 0EEh.
      {"core2-duo-laptop", 0x1AA, Bit(21), true},
      {"core2-duo-laptop", 0x1AA, Bit(5), false},
      {"core2-duo-laptop", 0xEE, Bit(28), true},
      {"core2-duo-laptop", 0xEE, Bit(0), false},
  };
  for (const Case& c : cases) {
    const std::string where = std::string(c.machine) + " MSR " + std::to_string(c.msr) +
                              " bit mask " + std::to_string(c.bit);
    IntelRig rig(c.machine);
    const auto before = rig.Msr(0, c.msr);
    ASSERT_TRUE(before) << where;
    // Clear first where the bit is set at power-on, so the write below sets it.
    if ((*before & c.bit) != 0) {
      ASSERT_TRUE(rig.WriteMsr(0, c.msr, *before & ~c.bit)) << where;
    }
    const uint64_t cleared = rig.Msr(0, c.msr).value();
    EXPECT_EQ(rig.WriteMsr(0, c.msr, cleared | c.bit), c.exists) << where;
    EXPECT_EQ(rig.Msr(0, c.msr).value_or(0), c.exists ? cleared | c.bit : cleared) << where;
    const auto traced = rig.TracedWrites(c.msr);
    ASSERT_FALSE(traced.empty()) << where;
    EXPECT_EQ(traced.back().ok, c.exists) << where;
  }
}

}  // namespace
}  // namespace pacetta::testing
